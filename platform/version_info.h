// The version resource of a Windows executable or library (PE32 or PE32+),
// read straight from the file, since Linux has no version API of its own.
//
// A loaded object holds the resource's VS_VERSIONINFO block and answers two
// kinds of questions about it: the numbers of its fixed record (the fields
// inherited from FixedFileInfo) and the string values of the string table
// of its first translation. Every read of the file and of the block is
// bounds-checked, so a damaged or hostile file fails with a status and is
// never read beyond its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "platform/version_block.h"

// Empty (every fixed field 0, no block) until a Load succeeds; a failed Load
// or Unload makes it empty again.
class CVersionInfo : public FixedFileInfo {
 public:
  CVersionInfo() = default;
  CVersionInfo(const CVersionInfo&) = delete;
  CVersionInfo& operator=(const CVersionInfo&) = delete;
  virtual ~CVersionInfo() = default;

  // Reads the version resource of the PE file at path: the RT_VERSION entry
  // of the first name and the first language. Only the headers, the
  // resource directory and the resource itself are read. Fails with
  //   file not found (2), access denied (5: also a folder, device or pipe),
  //   ERROR_RESOURCE_DATA_NOT_FOUND (1812): not a PE file, or one without
  //     a resource section,
  //   ERROR_RESOURCE_TYPE_NOT_FOUND (1813): no version resource, or one
  //     without a translation table,
  //   ERROR_BAD_FORMAT (11): headers, directory or block damaged (sizes
  //     and offsets outside the file, loops, bad block lengths),
  //   ERROR_INVALID_DATA (13): the fixed record lacks its signature.
  HRESULT Load(const std::string& path);

  // Takes a copy of a VS_VERSIONINFO block held in memory (such as one
  // compiled into the program) and loads it as Load does after reading it.
  // REQUIRES: block points to size bytes (or size is 0).
  HRESULT LoadBlock(const uint8_t* block, size_t size);

  void Unload();

  // Finds the string value name in the string table of the first
  // translation ("\StringFileInfo\llllcccc\name", letters matched ignoring
  // ASCII case) and sets *utf16le to its UTF-16LE bytes up to its
  // terminator, pointing into the block: valid until the next Load or
  // Unload. Fails with ERROR_INVALID_DATA when nothing is loaded,
  // ERROR_NO_MORE_ITEMS when the translation table is empty,
  // ERROR_RESOURCE_TYPE_NOT_FOUND when the table has no such name, and
  // ERROR_BAD_FORMAT for a damaged block on the way.
  HRESULT QueryString(std::string_view name, std::string_view* utf16le) const;

  // QueryString, then *text = the value in UTF-8 with white space removed at
  // both ends. *text is left alone on failure.
  HRESULT GetStringValue(std::string_view name, std::string* text) const;

 private:
  HRESULT Adopt(std::string block);

  std::string m_block;  // the whole VS_VERSIONINFO block; empty when unloaded
  // The translation table's place in m_block; count 0 when unloaded.
  size_t m_translation_offset = 0;
  size_t m_translation_count = 0;
};
