// Conversion between UTF-8 and a document's encoding through the XML
// library's own converters, the ones its parser decodes documents with, so
// that what the parser read the program reads alike.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

struct _xmlCharEncodingHandler;

class TextCodec {
 public:
  TextCodec() = default;
  ~TextCodec();
  TextCodec(const TextCodec&) = delete;
  TextCodec& operator=(const TextCodec&) = delete;

  // Opens the converter for an encoding name; UTF-8 needs none. Fails with
  // XML_E_UNSUPPORTED_ENCODING when the library knows no such encoding.
  HRESULT Open(const std::string& name);

  // Whether the encoding is UTF-8, which Decode and Encode copy.
  bool IsUtf8() const { return m_handler == nullptr; }

  // Appends to out the UTF-8 text of bytes, a whole text. Fails with
  // XML_E_UNSUPPORTED_ENCODING on bytes the encoding does not define or
  // that end inside a character.
  HRESULT Decode(std::string_view bytes, std::string* out);

  // Appends to out the encoded form of UTF-8 text, made of whole
  // characters; a character the encoding cannot hold becomes a character
  // reference. Fails with XML_E_WRITE_FAILED when the converter fails.
  HRESULT Encode(std::string_view text, std::string* out);

 private:
  _xmlCharEncodingHandler* m_handler = nullptr;
};

// Where the last whole UTF-8 character of text ends, so that text can be
// converted in pieces: text.size() unless text ends inside a sequence.
size_t WholeCharactersEnd(std::string_view text);
