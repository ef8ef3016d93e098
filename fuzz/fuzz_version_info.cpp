// Fuzz target: the version-resource reader. The input is read both as a
// Windows executable from a file (headers, section table, resource
// directory) and as a bare VS_VERSIONINFO block; whatever loads is queried
// the way the Version and VersionInfo functions query it.
//
// Beyond what the sanitizers catch: a string value is whole UTF-16 (an even
// number of bytes), and a block loads only with the fixed record's
// signature. Before the first input the target checks that its queries
// find a value in a well-formed image, so that they mean something.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/test_pe_image.h"
#include "platform/version_info.h"

namespace {

constexpr std::string_view kNames[] = {"ProductName", "fileversion",      "CompanyName", "",
                                       "\\",          "StringFileInfo\\x"};

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

// The queries find what a well-formed image holds.
bool CheckQueries() {
  const std::string image = test_pe::Image(
      true, test_pe::Encode(test_pe::VersionRoot(
                0x00010002, 0x00030004, {{"ProductName", "Brindle"}, {"FileVersion", "1.2.3.4"}})));
  const fuzz::MemoryFile file(image.data(), image.size());
  CVersionInfo info;
  std::string product;
  std::string version;
  if (info.Load(file.Path()) != S_OK || info.GetStringValue(kNames[0], &product) != S_OK ||
      info.GetStringValue(kNames[1], &version) != S_OK || product != "Brindle" ||
      version != "1.2.3.4" || info.file_version_ls != 0x00030004) {
    fuzz::Violation("the queries do not read a well-formed image");
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool checked = CheckQueries();
  (void)checked;
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
