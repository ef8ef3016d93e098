#include "xml/preserved_output.h"

namespace {

// Text to encode is gathered up to this size, so the converter is called
// for pieces large enough to run at speed.
constexpr size_t kEncodeBatch = 64 << 10;
// A long copy of the source goes to the file in pieces of this size: one
// write of many megabytes fills the system's cache with more than its
// write-back keeps up with, and the write then waits for the disk.
constexpr size_t kWritePiece = 1 << 20;

}  // namespace

PreservedOutput::PreservedOutput(const std::string& path, TextCodec* codec,
                                 std::string_view byte_order_mark, bool compare,
                                 std::string_view source)
    : m_path(path),
      m_codec(codec),
      m_byteOrderMark(byte_order_mark),
      m_comparing(compare),
      m_source(source) {}

void PreservedOutput::Open() {
  m_open = true;
  m_status = m_writer.Open(m_path);
  // An empty mark may have no bytes at all to point to.
  if (SUCCEEDED(m_status) && !m_byteOrderMark.empty()) {
    m_status = m_writer.Write(m_byteOrderMark.data(), m_byteOrderMark.size());
  }
}

void PreservedOutput::Encode(bool all) {
  const size_t end = all ? m_pending.size() : WholeCharactersEnd(m_pending);
  m_encoded.clear();
  m_status = m_codec->Encode(std::string_view(m_pending).substr(0, end), &m_encoded);
  if (SUCCEEDED(m_status)) m_status = m_writer.Write(m_encoded.data(), m_encoded.size());
  m_pending.erase(0, end);
}

void PreservedOutput::Emit(std::string_view text) {
  if (!m_open) Open();
  if (FAILED(m_status)) return;
  if (m_codec->IsUtf8()) {
    for (size_t pos = 0; pos < text.size() && SUCCEEDED(m_status); pos += kWritePiece) {
      const std::string_view piece = text.substr(pos, kWritePiece);
      m_status = m_writer.Write(piece.data(), piece.size());
    }
    return;
  }
  m_pending.append(text);
  if (m_pending.size() >= kEncodeBatch) Encode(false);
}

void PreservedOutput::Append(std::string_view text) {
  if (FAILED(m_status) || text.empty()) return;
  if (m_comparing) {
    if (m_source.substr(m_matched, text.size()) == text) {
      m_matched += text.size();
      return;
    }
    // The output is the source up to here: write that first.
    m_comparing = false;
    Emit(m_source.substr(0, m_matched));
  }
  Emit(text);
}

HRESULT PreservedOutput::Finish(bool* unchanged) {
  *unchanged = false;
  if (FAILED(m_status)) return m_status;
  if (m_comparing) {
    if (m_matched == m_source.size()) {
      *unchanged = true;
      return S_OK;
    }
    m_comparing = false;
    Emit(m_source.substr(0, m_matched));
  }
  if (!m_open) Open();
  if (SUCCEEDED(m_status) && !m_pending.empty()) Encode(true);
  if (FAILED(m_status)) return m_status;
  return m_writer.Commit();
}
