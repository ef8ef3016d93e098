#include <cstring>

#include "platform/status_text.h"

bool GetOperatingSystemText(HRESULT status, std::string* text) {
  if (StatusFacility(status) != FACILITY_ERRNO) return false;
  // glibc's own English description, whatever LC_MESSAGES says.
  const char* found = strerrordesc_np(static_cast<int>(StatusCode(status)));
  *text = found != nullptr ? found : "Unknown operating system error.";
  return true;
}
