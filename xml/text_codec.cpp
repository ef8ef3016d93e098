#include "xml/text_codec.h"

#include <libxml/encoding.h>
#include <libxml/tree.h>
#include <libxml/xmlstring.h>

#include <memory>

#include "xml/xml_library.h"

namespace {

// The library's buffers count in int: text goes through in pieces of this
// many bytes.
constexpr size_t kPiece = 64 << 10;
// The longest input the converters ever leave over: a character cut at the
// end of a piece.
constexpr size_t kLongestCharacter = 8;

struct BufferFree {
  void operator()(xmlBufferPtr buffer) const { xmlBufferFree(buffer); }
};
using UniqueBuffer = std::unique_ptr<xmlBuffer, BufferFree>;

bool Add(xmlBufferPtr buffer, std::string_view bytes) {
  return xmlBufferAdd(buffer, reinterpret_cast<const xmlChar*>(bytes.data()),
                      static_cast<int>(bytes.size())) == 0;
}

void MoveOut(xmlBufferPtr buffer, std::string* out) {
  out->append(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
              static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferEmpty(buffer);
}

}  // namespace

size_t WholeCharactersEnd(std::string_view text) {
  // Back over up to three continuation bytes to the last lead byte.
  size_t after_lead = text.size();
  size_t continuation = 0;
  while (after_lead > 0 && continuation < 3 &&
         (static_cast<unsigned char>(text[after_lead - 1]) & 0xC0) == 0x80) {
    --after_lead;
    ++continuation;
  }
  if (after_lead == 0) return text.size();
  const auto lead = static_cast<unsigned char>(text[after_lead - 1]);
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return continuation + 1 >= length ? text.size() : after_lead - 1;
}

TextCodec::~TextCodec() {
  if (m_handler != nullptr) xmlCharEncCloseFunc(m_handler);
}

HRESULT TextCodec::Open(const std::string& name) {
  if (m_handler != nullptr) xmlCharEncCloseFunc(m_handler);
  m_handler = nullptr;
  const xmlCharEncoding known = xmlParseCharEncoding(name.c_str());
  if (known == XML_CHAR_ENCODING_UTF8) return S_OK;
  m_handler = xmlFindCharEncodingHandler(name.c_str());
  return m_handler != nullptr ? S_OK : XML_E_UNSUPPORTED_ENCODING;
}

HRESULT TextCodec::Decode(std::string_view bytes, std::string* out) {
  if (m_handler == nullptr) {
    out->append(bytes);
    return S_OK;
  }
  // The library reports what it cannot convert; the stall says it here.
  XmlErrorCapture capture;
  const UniqueBuffer in(xmlBufferCreate());
  const UniqueBuffer decoded(xmlBufferCreate());
  if (!in || !decoded) return E_OUTOFMEMORY;
  for (size_t pos = 0; pos < bytes.size(); pos += kPiece) {
    if (!Add(in.get(), bytes.substr(pos, kPiece))) return E_OUTOFMEMORY;
    // A converter may stop when its output is full; it goes on where it
    // stopped until only a cut character, or bytes it cannot read, are left.
    while (xmlBufferLength(in.get()) > 0) {
      const int before = xmlBufferLength(in.get());
      xmlCharEncInFunc(m_handler, decoded.get(), in.get());
      MoveOut(decoded.get(), out);
      if (xmlBufferLength(in.get()) == before) break;
    }
    if (static_cast<size_t>(xmlBufferLength(in.get())) > kLongestCharacter) {
      return XML_E_UNSUPPORTED_ENCODING;
    }
  }
  return xmlBufferLength(in.get()) == 0 ? S_OK : XML_E_UNSUPPORTED_ENCODING;
}

HRESULT TextCodec::Encode(std::string_view text, std::string* out) {
  if (m_handler == nullptr) {
    out->append(text);
    return S_OK;
  }
  XmlErrorCapture capture;
  const UniqueBuffer in(xmlBufferCreate());
  const UniqueBuffer encoded(xmlBufferCreate());
  if (!in || !encoded) return E_OUTOFMEMORY;
  size_t pos = 0;
  while (pos < text.size()) {
    std::string_view piece = text.substr(pos, kPiece);
    if (pos + piece.size() < text.size()) piece = piece.substr(0, WholeCharactersEnd(piece));
    if (piece.empty() || !Add(in.get(), piece)) return XML_E_WRITE_FAILED;
    // The library converts the whole piece, writing a character reference
    // for each character the encoding lacks, or stops at a failure.
    const int result = xmlCharEncOutFunc(m_handler, encoded.get(), in.get());
    MoveOut(encoded.get(), out);
    if (result < 0 && result != -3) return XML_E_WRITE_FAILED;
    if (xmlBufferLength(in.get()) != 0) return XML_E_WRITE_FAILED;
    pos += piece.size();
  }
  return S_OK;
}
