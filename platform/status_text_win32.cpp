#include <windows.h>

#include "platform/status_text.h"
#include "platform/text_encoding.h"

bool GetOperatingSystemText(HRESULT status, std::string* text) {
  // The program's own statuses mean nothing to the system, and some of its
  // codes are taken by other meanings there.
  if (StatusFacility(status) == FACILITY_BRINDLE) return false;
  wchar_t buffer[256];
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(status), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                     static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring_view found(buffer, length);
  while (!found.empty() && std::wstring_view(L"\r\n\t ").find(found.back()) != found.npos) {
    found.remove_suffix(1);
  }
  if (found.empty()) return false;
  *text = WideToUtf8(found);
  return true;
}
