// Where a preserving save sends its text: UTF-8 in, encoded into the
// document's encoding after a byte order mark, and written through the safe
// file writer. When the target is the document's own file and the text
// would come out as it went in, the output is compared with the source text
// instead and the file is opened only at the first difference: a save that
// changes nothing writes nothing.
#pragma once

#include <string>
#include <string_view>

#include "platform/safe_file_writer.h"
#include "platform/status.h"
#include "xml/text_codec.h"

class PreservedOutput {
 public:
  // codec converts the text (UTF-8: none); byte_order_mark goes first, as
  // it stands. With compare, the output is first compared with that text.
  // codec must outlive the output.
  PreservedOutput(const std::string& path, TextCodec* codec, std::string_view byte_order_mark,
                  bool compare, std::string_view source);
  PreservedOutput(const PreservedOutput&) = delete;
  PreservedOutput& operator=(const PreservedOutput&) = delete;

  // After the first failure, does nothing.
  void Append(std::string_view text);
  // The first failure of Append, or S_OK.
  HRESULT Status() const { return m_status; }

  // Writes what is pending and replaces the file (safe_file_writer.h).
  // *unchanged is true when the output equalled the source text and
  // nothing was written.
  HRESULT Finish(bool* unchanged);

  const SaveReport& Report() const { return m_writer.Report(); }

 private:
  void Open();
  void Emit(std::string_view text);
  void Encode(bool all);

  std::string m_path;
  TextCodec* m_codec;
  std::string_view m_byteOrderMark;
  bool m_comparing;
  std::string_view m_source;
  size_t m_matched = 0;  // while comparing: the output so far is m_source[0, m_matched)
  bool m_open = false;
  CSafeFileWriter m_writer;
  std::string m_pending;  // UTF-8 text not encoded yet
  std::string m_encoded;
  HRESULT m_status = S_OK;
};
