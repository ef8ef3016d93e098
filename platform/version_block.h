// The layout of a version resource's VS_VERSIONINFO block, shared by the
// reader (CVersionInfo) and the writers of one: the build's own version
// record (tools/make_version_record.cpp) and the images that tests read
// (platform/test_pe_image.h).
//
// A block is a tree of nodes. A node is its length in bytes, its value's
// length (in characters for a text value, else in bytes) and its type,
// 16 bits each, then its key in UTF-16LE with a terminator, its value and
// its children, each of them starting on a 32-bit boundary counted from the
// start of the block. The root's value is the fixed record; below it, the
// string tables under "StringFileInfo" and the translation table under
// "VarFileInfo\Translation". Numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_encoding.h"

// The fixed record of a version resource (VS_FIXEDFILEINFO). A version
// number is two halves of two 16-bit numbers each, the high word first: the
// file version reads major = file_version_ms >> 16, minor = file_version_ms
// & 0xFFFF, build = file_version_ls >> 16, revision = file_version_ls &
// 0xFFFF.
struct FixedFileInfo {
  uint32_t signature = 0;  // kFixedFileInfoSignature in a loaded resource
  uint32_t struct_version = 0;
  uint32_t file_version_ms = 0;
  uint32_t file_version_ls = 0;
  uint32_t product_version_ms = 0;
  uint32_t product_version_ls = 0;
  uint32_t file_flags_mask = 0;
  uint32_t file_flags = 0;
  uint32_t file_os = 0;
  uint32_t file_type = 0;
  uint32_t file_subtype = 0;
  uint32_t file_date_ms = 0;
  uint32_t file_date_ls = 0;
};

// The fields of the fixed record in the order of the block, 32 bits each.
constexpr uint32_t FixedFileInfo::*kFixedFields[] = {
    &FixedFileInfo::signature,
    &FixedFileInfo::struct_version,
    &FixedFileInfo::file_version_ms,
    &FixedFileInfo::file_version_ls,
    &FixedFileInfo::product_version_ms,
    &FixedFileInfo::product_version_ls,
    &FixedFileInfo::file_flags_mask,
    &FixedFileInfo::file_flags,
    &FixedFileInfo::file_os,
    &FixedFileInfo::file_type,
    &FixedFileInfo::file_subtype,
    &FixedFileInfo::file_date_ms,
    &FixedFileInfo::file_date_ls,
};
constexpr size_t kFixedFileInfoSize = 4 * std::size(kFixedFields);

constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedFileInfoStructVersion = 0x00010000;
constexpr uint32_t kFileFlagsMask = 0x3F;  // every flag the format defines
constexpr uint32_t kFileFlagPrerelease = 0x2;
constexpr uint32_t kFileOsNtWindows32 = 0x00040004;
constexpr uint32_t kFileTypeApplication = 0x1;

// A node's header: length, value length and type.
constexpr size_t kNodeHeaderSize = 6;
// The type of a node whose value is text.
constexpr uint16_t kTextValue = 1;

// The string table of US English in Unicode, as its key ("040904b0") and as
// the one entry of a translation table.
constexpr char kEnglishUnicodeTable[] = "040904b0";
constexpr uint16_t kLanguageEnglishUs = 0x0409;
constexpr uint16_t kCodePageUnicode = 0x04B0;

// Writing blocks.
namespace version_block {

inline std::string Le16(uint32_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}
inline std::string Le32(uint32_t value) { return Le16(value & 0xFFFF) + Le16(value >> 16); }

// One node: a key, a value (UTF-8 text, or raw bytes), children, and zero
// bytes after them, which some resource compilers write.
struct Node {
  std::string key;
  bool text = false;
  std::string value;
  std::vector<Node> children;
  size_t padding = 0;
};

// The node and its children as block bytes. A node with a text value, and
// one without a value (a container), has the text type.
inline std::string Encode(const Node& node) {
  const auto pad = [](std::string* bytes) { bytes->append((4 - bytes->size() % 4) % 4, '\0'); };
  const std::string value =
      node.text ? Utf8ToUtf16Le(node.value) + std::string(2, '\0') : node.value;
  std::string bytes(kNodeHeaderSize, '\0');
  bytes += Utf8ToUtf16Le(node.key) + std::string(2, '\0');
  pad(&bytes);
  bytes += value;
  for (const Node& child : node.children) {
    pad(&bytes);
    bytes += Encode(child);
  }
  bytes.append(node.padding, '\0');
  const size_t value_length = node.text ? value.size() / 2 : value.size();
  const bool text_type = node.text || value.empty();
  bytes.replace(0, kNodeHeaderSize,
                Le16(static_cast<uint32_t>(bytes.size())) +
                    Le16(static_cast<uint32_t>(value_length)) + Le16(text_type ? kTextValue : 0));
  return bytes;
}

using Strings = std::vector<std::pair<std::string, std::string>>;

// The root of a block: the fixed record, the string table named table
// (language and code page in eight hexadecimal digits) holding strings, and
// the translation table translations (pairs of 16-bit numbers).
inline Node Root(const FixedFileInfo& fixed, const std::string& table, const Strings& strings,
                 const std::string& translations) {
  std::string fixed_bytes;
  for (const auto field : kFixedFields) fixed_bytes += Le32(fixed.*field);
  Node string_table{table, false, "", {}};
  for (const auto& [name, value] : strings) {
    string_table.children.push_back({name, true, value, {}});
  }
  return {"VS_VERSION_INFO",
          false,
          fixed_bytes,
          {{"StringFileInfo", false, "", {string_table}},
           {"VarFileInfo", false, "", {{"Translation", false, translations, {}}}}}};
}

}  // namespace version_block
