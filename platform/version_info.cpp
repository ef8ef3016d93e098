#include "platform/version_info.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/file.h"
#include "platform/text_encoding.h"

namespace {

constexpr HRESULT kNoResourceSection = HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND);
constexpr HRESULT kBadFormat = HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);

// PE/COFF layout: offsets and sizes in bytes.
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kNewHeaderOffsetField = 0x3C;  // e_lfanew
constexpr std::string_view kPeSignature("PE\0\0", 4);
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDataDirectorySize = 8;
constexpr uint32_t kResourceDirectoryIndex = 2;

// Where the two kinds of optional header keep the number of data
// directories and the directories themselves.
struct OptionalHeaderLayout {
  uint16_t magic;
  size_t directory_count_offset;
  size_t directories_offset;
};
constexpr OptionalHeaderLayout kOptionalHeaderLayouts[] = {
    {0x10B, 92, 96},    // PE32
    {0x20B, 108, 112},  // PE32+
};

constexpr size_t kResourceDirectorySize = 16;
constexpr size_t kResourceEntrySize = 8;
constexpr size_t kResourceDataEntrySize = 16;
constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr uint32_t kRtVersion = 16;
// The root node's length is a 16-bit number, so no block is longer.
constexpr size_t kMaxBlockSize = 0xFFFF;

// Unicode's white space, all of it in the Basic Multilingual Plane.
struct CodeUnitRange {
  uint16_t first;
  uint16_t last;
};
constexpr CodeUnitRange kWhiteSpace[] = {
    {0x0009, 0x000D}, {0x0020, 0x0020}, {0x0085, 0x0085}, {0x00A0, 0x00A0}, {0x1680, 0x1680},
    {0x2000, 0x200A}, {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000},
};

// REQUIRES: at + 2 (or 4) <= bytes.size().
uint16_t Le16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}
uint32_t Le32(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(Le16(bytes, at)) | static_cast<uint32_t>(Le16(bytes, at + 2)) << 16;
}

bool IsWhiteSpace(uint16_t unit) {
  for (const CodeUnitRange& range : kWhiteSpace) {
    if (unit >= range.first && unit <= range.last) return true;
  }
  return false;
}

bool KeyEquals(std::string_view utf16le_key, std::string_view name) {
  return EqualsIgnoringAsciiCase(Utf16LeToUtf8(utf16le_key), name);
}

// One entry of a resource directory: a name (string offset, high bit set) or
// ID, and the offset of what it leads to (a subdirectory when the high bit
// is set, else a data entry), both relative to the resource section.
struct ResourceEntry {
  uint32_t name;
  uint32_t target;
};

struct Section {
  uint32_t virtual_address;
  uint32_t virtual_size;
  uint32_t raw_size;
  uint32_t raw_offset;
};

// Sets *rva to the resource directory's address from the optional header.
HRESULT FindResourceDirectory(std::string_view optional, uint32_t* rva) {
  if (optional.size() < 2) return kBadFormat;
  const uint16_t magic = Le16(optional, 0);
  for (const OptionalHeaderLayout& layout : kOptionalHeaderLayouts) {
    if (layout.magic != magic) continue;
    if (optional.size() < layout.directory_count_offset + 4) return kBadFormat;
    if (Le32(optional, layout.directory_count_offset) <= kResourceDirectoryIndex) {
      return kNoResourceSection;
    }
    const size_t entry = layout.directories_offset + kResourceDirectoryIndex * kDataDirectorySize;
    if (optional.size() < entry + kDataDirectorySize) return kBadFormat;
    *rva = Le32(optional, entry);
    return *rva != 0 && Le32(optional, entry + 4) != 0 ? S_OK : kNoResourceSection;
  }
  return kBadFormat;
}

// An open PE file, read in pieces: never more than the headers, the
// resource directory entries on the way to the version resource, and the
// resource itself.
class PeFile {
 public:
  // Opens path and reads its headers and section table.
  HRESULT Open(const std::string& path);
  // Reads the first language of the first RT_VERSION resource.
  HRESULT ReadVersionBlock(std::string* block) const;

 private:
  // Reads size bytes at a file offset; a range outside the file is a
  // damaged image.
  HRESULT ReadAt(uint64_t offset, size_t size, std::string* out) const;
  // Reads size bytes at a relative virtual address, which must lie in the
  // raw data of a section.
  HRESULT ReadRva(uint64_t rva, size_t size, std::string* out) const;
  // Reads up to limit entries of the resource directory at offset.
  HRESULT ReadEntries(uint32_t offset, size_t limit, std::vector<ResourceEntry>* entries) const;

  UniqueFd m_fd;
  uint64_t m_size = 0;
  std::vector<Section> m_sections;
  uint32_t m_resource_rva = 0;
};

HRESULT PeFile::Open(const std::string& path) {
  HRESULT hr = OpenRegularFileForReading(path, &m_fd);
  if (SUCCEEDED(hr)) hr = GetOpenFileSize(m_fd.Get(), &m_size);
  if (FAILED(hr)) return hr;

  // Up to the PE signature, anything unexpected means another kind of file.
  std::string bytes;
  if (m_size < kDosHeaderSize) return kNoResourceSection;
  hr = ReadAt(0, kDosHeaderSize, &bytes);
  if (FAILED(hr)) return hr;
  if (bytes.compare(0, 2, "MZ") != 0) return kNoResourceSection;
  const uint64_t pe_header = Le32(bytes, kNewHeaderOffsetField);
  if (pe_header + kPeSignature.size() > m_size) return kNoResourceSection;
  hr = ReadAt(pe_header, kPeSignature.size(), &bytes);
  if (FAILED(hr)) return hr;
  if (bytes != kPeSignature) return kNoResourceSection;

  const uint64_t coff_header = pe_header + kPeSignature.size();
  hr = ReadAt(coff_header, kCoffHeaderSize, &bytes);
  if (FAILED(hr)) return hr;
  const size_t section_count = Le16(bytes, 2);   // NumberOfSections
  const size_t optional_size = Le16(bytes, 16);  // SizeOfOptionalHeader
  const uint64_t optional_header = coff_header + kCoffHeaderSize;
  hr = ReadAt(optional_header, optional_size, &bytes);
  if (SUCCEEDED(hr)) hr = FindResourceDirectory(bytes, &m_resource_rva);
  if (SUCCEEDED(hr)) {
    hr = ReadAt(optional_header + optional_size, section_count * kSectionHeaderSize, &bytes);
  }
  if (FAILED(hr)) return hr;
  // VirtualSize at 8, VirtualAddress at 12, SizeOfRawData at 16 and
  // PointerToRawData at 20 of each section header.
  m_sections.reserve(section_count);
  for (size_t at = 0; at < bytes.size(); at += kSectionHeaderSize) {
    m_sections.push_back(
        {Le32(bytes, at + 12), Le32(bytes, at + 8), Le32(bytes, at + 16), Le32(bytes, at + 20)});
  }
  return S_OK;
}

HRESULT PeFile::ReadAt(uint64_t offset, size_t size, std::string* out) const {
  if (offset > m_size || size > m_size - offset) return kBadFormat;
  out->resize(size);
  for (size_t done = 0; done < size;) {
    HRESULT hr = S_OK;
    const long count = ReadSomeAt(m_fd.Get(), out->data() + done, size - done, offset + done, &hr);
    if (count < 0) return hr;
    if (count == 0) return kBadFormat;  // the file shrank while we read it
    done += static_cast<size_t>(count);
  }
  return S_OK;
}

HRESULT PeFile::ReadRva(uint64_t rva, size_t size, std::string* out) const {
  for (const Section& section : m_sections) {
    const uint64_t extent = std::max(section.virtual_size, section.raw_size);
    if (rva < section.virtual_address || rva - section.virtual_address >= extent) continue;
    // Past its raw data a section holds only zeros in memory, never a
    // resource that a linker wrote.
    const uint64_t delta = rva - section.virtual_address;
    if (delta + size > section.raw_size) return kBadFormat;
    return ReadAt(section.raw_offset + delta, size, out);
  }
  return kBadFormat;
}

HRESULT PeFile::ReadEntries(uint32_t offset, size_t limit,
                            std::vector<ResourceEntry>* entries) const {
  const uint64_t directory = uint64_t{m_resource_rva} + offset;
  std::string bytes;
  HRESULT hr = ReadRva(directory, kResourceDirectorySize, &bytes);
  if (FAILED(hr)) return hr;
  // Named entries come first, then those with IDs.
  const size_t count = std::min<size_t>(size_t{Le16(bytes, 12)} + Le16(bytes, 14), limit);
  hr = ReadRva(directory + kResourceDirectorySize, count * kResourceEntrySize, &bytes);
  if (FAILED(hr)) return hr;
  entries->clear();
  for (size_t at = 0; at < bytes.size(); at += kResourceEntrySize) {
    entries->push_back({Le32(bytes, at), Le32(bytes, at + 4)});
  }
  return S_OK;
}

HRESULT PeFile::ReadVersionBlock(std::string* block) const {
  std::vector<ResourceEntry> entries;
  HRESULT hr = ReadEntries(0, SIZE_MAX, &entries);
  if (FAILED(hr)) return hr;
  const auto type = std::find_if(entries.begin(), entries.end(),
                                 [](const ResourceEntry& e) { return e.name == kRtVersion; });
  if (type == entries.end()) return kNotFound;

  // Below the type come the name level and the language level; each takes
  // its first entry. The walk goes exactly two levels further down, so a
  // directory that points back up cannot make it run on.
  constexpr int kLevelsBelowType = 2;
  uint32_t target = type->target;
  for (int level = 0; level < kLevelsBelowType; ++level) {
    if ((target & kSubdirectoryFlag) == 0) return kBadFormat;
    hr = ReadEntries(target & ~kSubdirectoryFlag, 1, &entries);
    if (FAILED(hr)) return hr;
    if (entries.empty()) return kNotFound;
    target = entries.front().target;
  }
  if ((target & kSubdirectoryFlag) != 0) return kBadFormat;

  std::string data_entry;
  hr = ReadRva(uint64_t{m_resource_rva} + target, kResourceDataEntrySize, &data_entry);
  if (FAILED(hr)) return hr;
  return ReadRva(Le32(data_entry, 0), std::min<size_t>(Le32(data_entry, 4), kMaxBlockSize), block);
}

// One node of a version block. Key, value and children each start on a
// 32-bit boundary counted from the start of the block.
struct BlockNode {
  size_t end;            // one past its last byte
  std::string_view key;  // UTF-16LE, without its terminator
  size_t value_begin;
  size_t value_end;
  size_t children_begin;
};

size_t AlignUp(size_t offset) { return (offset + 3) & ~size_t{3}; }

// Reads the node at offset, which must end by limit.
// REQUIRES: offset <= limit <= block.size().
HRESULT ParseNode(std::string_view block, size_t offset, size_t limit, BlockNode* node) {
  if (limit - offset < kNodeHeaderSize) return kBadFormat;
  const size_t length = Le16(block, offset);
  if (length < kNodeHeaderSize || length > limit - offset) return kBadFormat;
  node->end = offset + length;
  const size_t key_begin = offset + kNodeHeaderSize;
  size_t key_end = key_begin;
  while (key_end + 2 <= node->end && Le16(block, key_end) != 0) key_end += 2;
  if (key_end + 2 > node->end) return kBadFormat;
  node->key = block.substr(key_begin, key_end - key_begin);
  // Resource compilers disagree on whether a text value's length counts
  // characters or bytes; a value that overruns its node is cut at the
  // node's end instead of failing the whole resource.
  const size_t value_length = Le16(block, offset + 2);
  const size_t value_bytes =
      Le16(block, offset + 4) == kTextValue ? 2 * value_length : value_length;
  node->value_begin = std::min(AlignUp(key_end + 2), node->end);
  node->value_end = std::min(node->value_begin + value_bytes, node->end);
  node->children_begin = std::min(AlignUp(node->value_end), node->end);
  return S_OK;
}

// Finds the child of parent whose key is name, ignoring ASCII case.
HRESULT FindChild(std::string_view block, const BlockNode& parent, std::string_view name,
                  BlockNode* child) {
  size_t offset = parent.children_begin;
  // Zero padding after the last child ends the list.
  while (parent.end - offset >= kNodeHeaderSize && Le16(block, offset) != 0) {
    const HRESULT hr = ParseNode(block, offset, parent.end, child);
    if (FAILED(hr)) return hr;
    if (KeyEquals(child->key, name)) return S_OK;
    offset = std::min(AlignUp(child->end), parent.end);
  }
  return kNotFound;
}

// Walks a backslash-separated path of keys such as "\VarFileInfo\Translation"
// down from the root ("\" is the root itself) and sets *value to the value
// bytes of the node it names.
HRESULT QueryValue(std::string_view block, std::string_view path, std::string_view* value) {
  BlockNode node;
  HRESULT hr = ParseNode(block, 0, block.size(), &node);
  for (size_t pos = 0; SUCCEEDED(hr) && pos < path.size();) {
    const size_t separator = std::min(path.find('\\', pos), path.size());
    const std::string_view key = path.substr(pos, separator - pos);
    pos = separator + 1;
    if (key.empty()) continue;
    BlockNode child;
    hr = FindChild(block, node, key, &child);
    node = child;
  }
  if (FAILED(hr)) return hr;
  *value = block.substr(node.value_begin, node.value_end - node.value_begin);
  return S_OK;
}

}  // namespace

HRESULT CVersionInfo::Load(const std::string& path) {
  Unload();
  PeFile file;
  std::string block;
  HRESULT hr = file.Open(path);
  if (SUCCEEDED(hr)) hr = file.ReadVersionBlock(&block);
  if (SUCCEEDED(hr)) hr = Adopt(std::move(block));
  return hr;
}

HRESULT CVersionInfo::LoadBlock(const uint8_t* block, size_t size) {
  Unload();
  return Adopt(size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(block), size));
}

HRESULT CVersionInfo::Adopt(std::string block) {
  std::string_view fixed;
  std::string_view translation;
  HRESULT hr = QueryValue(block, "\\", &fixed);
  if (SUCCEEDED(hr)) hr = QueryValue(block, "\\VarFileInfo\\Translation", &translation);
  if (FAILED(hr)) return hr;
  if (fixed.size() < kFixedFileInfoSize) return kBadFormat;
  if (Le32(fixed, 0) != kFixedFileInfoSignature) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

  for (size_t i = 0; i < std::size(kFixedFields); ++i) this->*kFixedFields[i] = Le32(fixed, 4 * i);
  // Offsets, not views: moving the string may move its bytes.
  m_translation_offset = static_cast<size_t>(translation.data() - block.data());
  m_translation_count = translation.size() / 4;
  m_block = std::move(block);
  return S_OK;
}

void CVersionInfo::Unload() {
  static_cast<FixedFileInfo&>(*this) = FixedFileInfo();
  std::string().swap(m_block);
  m_translation_offset = 0;
  m_translation_count = 0;
}

HRESULT CVersionInfo::QueryString(std::string_view name, std::string_view* utf16le) const {
  if (m_block.empty()) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  if (m_translation_count == 0) return HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);
  // Only the first translation counts: its language and code page name the
  // string table, as four lower-case hexadecimal digits each.
  char table[9];
  std::snprintf(table, sizeof table, "%04x%04x", Le16(m_block, m_translation_offset),
                Le16(m_block, m_translation_offset + 2));
  std::string path = "\\StringFileInfo\\";
  path += table;
  path += '\\';
  path += name;
  std::string_view value;
  const HRESULT hr = QueryValue(m_block, path, &value);
  if (FAILED(hr)) return hr;
  size_t length = 0;
  while (length + 2 <= value.size() && Le16(value, length) != 0) length += 2;
  *utf16le = value.substr(0, length);
  return S_OK;
}

HRESULT CVersionInfo::GetStringValue(std::string_view name, std::string* text) const {
  std::string_view value;
  const HRESULT hr = QueryString(name, &value);
  if (FAILED(hr)) return hr;
  size_t begin = 0;
  size_t end = value.size();
  while (begin < end && IsWhiteSpace(Le16(value, begin))) begin += 2;
  while (end > begin && IsWhiteSpace(Le16(value, end - 2))) end -= 2;
  *text = Utf16LeToUtf8(value.substr(begin, end - begin));
  return S_OK;
}
