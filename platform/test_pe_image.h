// Test support: version resources and the PE files that carry them, built
// from bytes, so that no test depends on a binary of unknown origin.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_encoding.h"

namespace test_pe {

inline std::string Le16(uint32_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}
inline std::string Le32(uint32_t value) { return Le16(value & 0xFFFF) + Le16(value >> 16); }
inline void Put16(std::string* bytes, size_t at, uint32_t value) {
  bytes->replace(at, 2, Le16(value));
}
inline void Put32(std::string* bytes, size_t at, uint32_t value) {
  bytes->replace(at, 4, Le32(value));
}

// One node of a version block: a key, a value (UTF-8 text, or raw bytes),
// children, and zero bytes after them that some resource compilers write.
struct Node {
  std::string key;
  bool text = false;
  std::string value;
  std::vector<Node> children;
  size_t padding = 0;
};

inline std::string Encode(const Node& node) {
  const auto pad = [](std::string* bytes) { bytes->append((4 - bytes->size() % 4) % 4, '\0'); };
  const std::string value =
      node.text ? Utf8ToUtf16Le(node.value) + std::string(2, '\0') : node.value;
  std::string bytes(6, '\0');
  bytes += Utf8ToUtf16Le(node.key) + std::string(2, '\0');
  pad(&bytes);
  bytes += value;
  for (const Node& child : node.children) {
    pad(&bytes);
    bytes += Encode(child);
  }
  bytes.append(node.padding, '\0');
  const size_t value_length = node.text ? value.size() / 2 : value.size();
  bytes.replace(0, 6,
                Le16(static_cast<uint32_t>(bytes.size())) +
                    Le16(static_cast<uint32_t>(value_length)) + Le16(node.text ? 1 : 0));
  return bytes;
}

using Strings = std::vector<std::pair<std::string, std::string>>;

// The root of a VS_VERSIONINFO block: file version ms.ls, the string table
// table ("040904b0": language 0x0409, code page 0x04B0) holding strings, and
// the translation table translations (pairs of 16-bit numbers).
inline Node VersionRoot(uint32_t ms, uint32_t ls, const Strings& strings,
                        const std::string& table = "040904b0",
                        const std::string& translations = Le16(0x0409) + Le16(0x04B0)) {
  // The product version, 9.8.7.6, differs from every file version used.
  const std::string fixed = Le32(0xFEEF04BD) + Le32(0x00010000) + Le32(ms) + Le32(ls) +
                            Le32(0x00090008) + Le32(0x00070006) + Le32(0x3F) + Le32(0) +
                            Le32(0x40004) + Le32(1) + Le32(0) + Le32(0) + Le32(0);
  Node string_table{table, false, "", {}};
  for (const auto& [name, value] : strings) {
    string_table.children.push_back({name, true, value, {}});
  }
  return {"VS_VERSION_INFO",
          false,
          fixed,
          {{"StringFileInfo", false, "", {string_table}},
           {"VarFileInfo", false, "", {{"Translation", false, translations, {}}}}}};
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
