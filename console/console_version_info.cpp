#include "console/console_version_info.h"

#include <sys/utsname.h>

#include <cstdint>
#include <cstring>

#include "platform/program_version.h"

namespace {

// A 32-bit build that runs on a 64-bit kernel: the machine name of the
// kernel says 64 where the program's pointers are 32 bits wide.
bool IsNarrowBuildOnWideKernel() {
  if constexpr (sizeof(void*) == 8) {
    return false;
  } else {
    utsname name;
    return uname(&name) == 0 && std::strstr(name.machine, "64") != nullptr;
  }
}

}  // namespace

CConsoleVersionInfo::CConsoleVersionInfo() {
  LoadBlock(kProgramVersionRecord, kProgramVersionRecordSize);
}

bool CConsoleVersionInfo::GetTitle(std::string* title) const {
  std::string description;
  if (FAILED(GetStringValue("FileDescription", &description))) return false;
  *title = description + " - Version " + std::to_string(file_version_ms >> 16) + "." +
           std::to_string(file_version_ms & 0xFFFF) + " (build " +
           std::to_string(file_version_ls >> 16) + ")";
  if ((file_flags & kFileFlagPrerelease) != 0) *title += " [BETA]";
  if (IsNarrowBuildOnWideKernel()) *title += ", 32-bit.";
  return true;
}
