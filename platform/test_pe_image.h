// Test support: version resources and the PE files that carry them, built
// from bytes, so that no test depends on a binary of unknown origin.
#pragma once

#include <cstdint>
#include <string>

#include "platform/version_block.h"

namespace test_pe {

using version_block::Encode;
using version_block::Le16;
using version_block::Le32;
using version_block::Node;
using version_block::Strings;

inline void Put16(std::string* bytes, size_t at, uint32_t value) {
  bytes->replace(at, 2, Le16(value));
}
inline void Put32(std::string* bytes, size_t at, uint32_t value) {
  bytes->replace(at, 4, Le32(value));
}

// The root of a version block: file version ms.ls, the string table table
// (by default US English in Unicode) holding strings, and the translation
// table translations (pairs of 16-bit numbers).
inline Node VersionRoot(uint32_t ms, uint32_t ls, const Strings& strings,
                        const std::string& table = kEnglishUnicodeTable,
                        const std::string& translations = Le16(kLanguageEnglishUs) +
                                                          Le16(kCodePageUnicode)) {
  FixedFileInfo fixed;
  fixed.signature = kFixedFileInfoSignature;
  fixed.struct_version = kFixedFileInfoStructVersion;
  fixed.file_version_ms = ms;
  fixed.file_version_ls = ls;
  // The product version, 9.8.7.6, differs from every file version used.
  fixed.product_version_ms = 0x00090008;
  fixed.product_version_ls = 0x00070006;
  fixed.file_flags_mask = kFileFlagsMask;
  fixed.file_os = kFileOsNtWindows32;
  fixed.file_type = kFileTypeApplication;
  return version_block::Root(fixed, table, strings, translations);
}

// Where a PE file made by Image keeps what tests corrupt.
constexpr size_t kPeHeader = 0x40;
constexpr size_t kOptionalHeader = kPeHeader + 24;
constexpr size_t kResourceSection = 0x200;  // file offset of the resource section
constexpr uint32_t kResourceRva = 0x1000;
// Offsets inside the resource section: the directory of each level, its one
// entry's target field, the data entry, and the block.
constexpr uint32_t kTypeTarget = 0x14;
constexpr uint32_t kNameDirectory = 0x18;
constexpr uint32_t kNameTarget = 0x2C;
constexpr uint32_t kLanguageDirectory = 0x30;
constexpr uint32_t kLanguageTarget = 0x44;
constexpr uint32_t kDataEntry = 0x48;
constexpr uint32_t kBlock = 0x58;
constexpr uint32_t kSubdirectory = 0x80000000;

constexpr size_t SectionTable(bool pe32_plus) { return kOptionalHeader + (pe32_plus ? 240 : 224); }

// A PE32 or PE32+ image with one section, .rsrc, whose resource directory
// leads from type through name 1 and language 0x0409 to block. Without
// resources the data directory is empty.
inline std::string Image(bool pe32_plus, const std::string& block, uint32_t type = 16,
                         bool with_resources = true) {
  std::string resources;
  const auto directory = [&](uint32_t name, uint32_t target) {
    resources += std::string(12, '\0') + Le16(0) + Le16(1) + Le32(name) + Le32(target);
  };
  directory(type, kSubdirectory | kNameDirectory);
  directory(1, kSubdirectory | kLanguageDirectory);
  directory(0x0409, kDataEntry);
  resources += Le32(kResourceRva + kBlock) + Le32(static_cast<uint32_t>(block.size())) + Le32(0) +
               Le32(0) + block;
  const auto resource_size = static_cast<uint32_t>(resources.size());

  std::string image(kResourceSection, '\0');
  image.replace(0, 2, "MZ");
  Put32(&image, 0x3C, kPeHeader);
  image.replace(kPeHeader, 4, std::string("PE\0\0", 4));
  const size_t coff = kPeHeader + 4;
  image.replace(coff, 2, Le16(pe32_plus ? 0x8664 : 0x14C));
  image.replace(coff + 2, 2, Le16(1));
  image.replace(coff + 16, 2, Le16(pe32_plus ? 240 : 224));
  image.replace(kOptionalHeader, 2, Le16(pe32_plus ? 0x20B : 0x10B));
  const size_t directories = kOptionalHeader + (pe32_plus ? 112 : 96);
  Put32(&image, directories - 4, 16);
  if (with_resources) {
    Put32(&image, directories + 16, kResourceRva);
    Put32(&image, directories + 20, resource_size);
  }
  const size_t section = SectionTable(pe32_plus);
  image.replace(section, 8, std::string(".rsrc\0\0\0", 8));
  Put32(&image, section + 8, resource_size);
  Put32(&image, section + 12, kResourceRva);
  Put32(&image, section + 16, resource_size);
  Put32(&image, section + 20, kResourceSection);
  return image + resources;
}

}  // namespace test_pe
