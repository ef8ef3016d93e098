#include "console/console_version_info.h"

#include <cstdint>

#include "platform/program_version.h"
#include "platform/word_size.h"

CConsoleVersionInfo::CConsoleVersionInfo() { LoadProgramVersion(this); }

bool CConsoleVersionInfo::GetTitle(std::string* title) const {
  std::string description;
  if (FAILED(GetStringValue("FileDescription", &description))) return false;
  *title = description + " - Version " + std::to_string(file_version_ms >> 16) + "." +
           std::to_string(file_version_ms & 0xFFFF) + " (build " +
           std::to_string(file_version_ls >> 16) + ")";
  if ((file_flags & kFileFlagPrerelease) != 0) *title += " [BETA]";
  if (IsNarrowProcessOnWideSystem()) *title += ", 32-bit.";
  return true;
}
