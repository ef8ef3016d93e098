#include "xml/source_text.h"

#include <cstring>

#include "xml/markup_lexer.h"
#include "xml/text_codec.h"

namespace {

struct Signature {
  std::string_view bytes;
  const char* encoding;
  bool is_mark;  // a byte order mark, not the text's first characters
};

// How a document's first bytes tell its encoding, as the parser reads them.
// The four-byte forms of UTF-32 and EBCDIC come first, so that their
// shorter prefixes do not match; the parser takes those, but they cannot
// be written back here.
constexpr Signature kSignatures[] = {
    {std::string_view("\x00\x00\xFE\xFF", 4), nullptr, true},
    {std::string_view("\xFF\xFE\x00\x00", 4), nullptr, true},
    {std::string_view("\x00\x00\x00\x3C", 4), nullptr, false},
    {std::string_view("\x3C\x00\x00\x00", 4), nullptr, false},
    {std::string_view("\x4C\x6F\xA7\x94", 4), nullptr, false},
    {std::string_view("\xEF\xBB\xBF", 3), "UTF-8", true},
    {std::string_view("\xFF\xFE", 2), "UTF-16LE", true},
    {std::string_view("\xFE\xFF", 2), "UTF-16BE", true},
    {std::string_view("\x3C\x00\x3F\x00", 4), "UTF-16LE", false},
    {std::string_view("\x00\x3C\x00\x3F", 4), "UTF-16BE", false},
};

}  // namespace

SourceText::SourceText(std::string bytes) : m_text(std::move(bytes)) {
  const HRESULT hr = Decode();
  if (FAILED(hr)) Fail(hr);
}

void SourceText::Fail(HRESULT status) {
  m_status = status;
  m_text = std::string();
  m_textBegin = 0;
}

HRESULT SourceText::Decode() {
  const std::string_view bytes(m_text);
  for (const Signature& signature : kSignatures) {
    if (!bytes.starts_with(signature.bytes)) continue;
    if (signature.encoding == nullptr) return XML_E_NOT_PRESERVABLE;
    m_encoding = signature.encoding;
    if (signature.is_mark) {
      m_byteOrderMarkSize = signature.bytes.size();
      std::memcpy(m_byteOrderMark, signature.bytes.data(), m_byteOrderMarkSize);
    }
    break;
  }
  const std::string_view content = bytes.substr(m_byteOrderMarkSize);
  // In a text that is not UTF-16 the declaration is ASCII whatever the
  // encoding, and names the encoding of everything after it.
  if (!m_encoding.starts_with("UTF-16")) {
    const MarkupLexer lexer(content);
    const DeclarationSpans declaration = lexer.SplitDeclaration();
    if (declaration.encoding_end > declaration.encoding_begin) {
      m_encoding = std::string(content.substr(
          declaration.encoding_begin, declaration.encoding_end - declaration.encoding_begin));
    }
  }
  TextCodec codec;
  HRESULT hr = codec.Open(m_encoding);
  if (FAILED(hr)) return XML_E_NOT_PRESERVABLE;
  if (codec.IsUtf8()) {
    m_textBegin = m_byteOrderMarkSize;
    return S_OK;
  }
  std::string text;
  text.reserve(content.size());
  hr = codec.Decode(content, &text);
  // Compared piece by piece, so that no third copy of the document is made.
  constexpr size_t kPiece = 1 << 20;
  std::string again;
  size_t compared = 0;
  for (size_t pos = 0; SUCCEEDED(hr) && pos < text.size();) {
    std::string_view piece = std::string_view(text).substr(pos, kPiece);
    if (pos + piece.size() < text.size()) piece = piece.substr(0, WholeCharactersEnd(piece));
    again.clear();
    hr = codec.Encode(piece, &again);
    if (SUCCEEDED(hr) && content.substr(compared, again.size()) != again) hr = E_FAIL;
    compared += again.size();
    pos += piece.size();
  }
  if (FAILED(hr) || compared != content.size()) return XML_E_NOT_PRESERVABLE;
  m_text = std::move(text);
  m_textBegin = 0;
  return S_OK;
}
