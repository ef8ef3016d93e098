// The text of a document as it was loaded, kept so that a save can write
// back every byte that no command changed: the text decoded to UTF-8 (into
// which the source offsets of change_marks.h point), its byte order mark,
// and the encoding to write it back in.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

class SourceText {
 public:
  // Takes the bytes of a document file that the parser accepted and finds
  // the encoding it read them in: the byte order mark, else the first bytes
  // of a UTF-16 text, else the XML declaration, else UTF-8. A text in any
  // encoding but UTF-8 is decoded, and kept only when encoding it again
  // gives back exactly its bytes (no converter that loses or shifts
  // anything).
  //
  // Never fails: a text that cannot be kept is kept empty, and Status()
  // tells why, so that the document still loads and only a save that would
  // need the text fails.
  explicit SourceText(std::string bytes);

  // S_OK, or why the text cannot be written back exactly:
  // XML_E_NOT_PRESERVABLE, or a failure to match it with its tree.
  HRESULT Status() const { return m_status; }
  void Fail(HRESULT status);

  std::string_view Text() const { return std::string_view(m_text).substr(m_textBegin); }
  // As in the file; empty when there is none.
  std::string_view ByteOrderMark() const {
    return std::string_view(m_byteOrderMark, m_byteOrderMarkSize);
  }
  // The name to write the text in again ("UTF-8", "UTF-16LE", or the name
  // the declaration gives).
  const std::string& Encoding() const { return m_encoding; }

 private:
  HRESULT Decode();

  // The file's bytes, whose text (after the byte order mark) is the source
  // text when it is UTF-8; else the text decoded.
  std::string m_text;
  size_t m_textBegin = 0;
  char m_byteOrderMark[3] = {};
  size_t m_byteOrderMarkSize = 0;
  std::string m_encoding = "UTF-8";
  HRESULT m_status = S_OK;
};
