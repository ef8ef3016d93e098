// Fuzz target: the version-resource reader. The input is read both as a
// Windows executable from a file (headers, section table, resource
// directory) and as a bare VS_VERSIONINFO block; whatever loads is queried
// the way the Version and VersionInfo functions query it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/version_info.h"

namespace {

constexpr std::string_view kNames[] = {"ProductName", "fileversion", "CompanyName", "",
                                       "\\", "StringFileInfo\\x"};

void Query(const CVersionInfo& info) {
  for (const std::string_view name : kNames) {
    std::string text;
    std::string_view raw;
    if (SUCCEEDED(info.QueryString(name, &raw)) && raw.size() % 2 != 0) {
      fuzz::Violation("a string value of an odd number of bytes");
    }
    (void)info.GetStringValue(name, &text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CVersionInfo info;
  {
    const fuzz::MemoryFile file(data, size);
    if (SUCCEEDED(info.Load(file.Path()))) Query(info);
  }
  if (SUCCEEDED(info.LoadBlock(data, size))) {
    if (info.signature != kFixedFileInfoSignature) fuzz::Violation("loaded without a signature");
    Query(info);
  }
  return 0;
}
