// The running program's own version record, read through the same reader
// as the version resources of PE files, and the banner's title line.
#pragma once

#include <string>

#include "platform/version_info.h"

class CConsoleVersionInfo : public CVersionInfo {
 public:
  // Loads the record compiled into the program; on failure the object stays
  // empty and every lookup fails.
  CConsoleVersionInfo();

  // "<FileDescription> - Version <major>.<minor> (build <build>)", then
  // " [BETA]" for a pre-release build and ", 32-bit." for a 32-bit build on
  // a 64-bit system. False when the record has no FileDescription.
  bool GetTitle(std::string* title) const;
};
