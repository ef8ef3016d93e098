// CTextFile reads a text file line by line as UTF-8, whatever encoding the
// file is in: a byte order mark names UTF-8 or UTF-16LE; without one the
// file is UTF-8 when all of it is valid UTF-8, else Latin-1, decided once for
// the whole file. Lines are read as in text mode: CR LF ends a line like LF,
// a lone CR stays in the line, and Ctrl-Z (0x1A) ends the file.
//
// The whole file is read when it is opened, so that pipes and process
// substitutions work: the file is never sought or opened twice.
#pragma once

#include <string>

#include "platform/status.h"

class CTextFile {
 public:
  CTextFile() = default;
  CTextFile(const CTextFile&) = delete;
  CTextFile& operator=(const CTextFile&) = delete;

  // Reads and decodes the file at path. Returns S_OK, or the failure of
  // opening or reading it (a missing file: E_FILE_NOT_FOUND; a directory:
  // E_ACCESS_DENIED), SCRIPT_E_UTF16BE_FILE for a UTF-16 big-endian mark, or
  // SCRIPT_E_FILE_TOO_LARGE past 64 MB.
  // The file is closed again before Open returns.
  HRESULT Open(const std::string& path);

  // The next line without its line end. Returns S_OK, or S_FALSE with an
  // empty *line when the file has no more lines. A last line without a line
  // end is a line.
  HRESULT ReadLine(std::string* line);

  // Forgets the text; ReadLine then finds no more lines.
  void Close();

 private:
  std::string m_text;  // the decoded text, up to any Ctrl-Z
  size_t m_next = 0;   // offset of the next line in m_text
};
