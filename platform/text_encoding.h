// Conversions between the encodings the program meets. Text inside the
// program is UTF-8; everything else is converted at the edges.
#pragma once

#include <string>
#include <string_view>

// Whether bytes form well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Each byte read as the character with the same code (ISO 8859-1).
std::string Latin1ToUtf8(std::string_view bytes);

// Text that came without a byte order mark: kept when it is valid UTF-8,
// else read byte by byte as Latin-1. Decided once for the whole text.
std::string DecodeUnmarkedText(std::string_view bytes);

// UTF-16LE bytes to UTF-8; unpaired surrogates become U+FFFD. An odd last
// byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// UTF-8 to UTF-16LE bytes; invalid sequences become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text);

// UTF-8 to the character set of the user's locale (LC_CTYPE); characters it
// cannot hold become "?".
std::string Utf8ToLocaleCharset(std::string_view text);

// Tells which texts a character set, named as the system's converters
// (iconv) name it, can hold.
class CCharsetProbe {
 public:
  explicit CCharsetProbe(const std::string& charset);
  ~CCharsetProbe();
  CCharsetProbe(const CCharsetProbe&) = delete;
  CCharsetProbe& operator=(const CCharsetProbe&) = delete;

  // False when the converters do not know the character set.
  bool IsOpen() const;
  // Whether every character of the UTF-8 text has a form in the character
  // set; ASCII text always has. REQUIRES: IsOpen().
  bool CanHold(std::string_view text);

 private:
  void* m_converter;  // an iconv_t
};

// The number of characters (code points) in UTF-8 text; a byte that does not
// start a valid sequence counts as one character.
size_t CountCharacters(std::string_view text);

// Decodes the UTF-8 sequence at text[*pos], advances *pos past it and returns
// the code point; an invalid byte yields 0xFFFD and advances by one.
char32_t NextCodePoint(std::string_view text, size_t* pos);

// Appends the UTF-8 form of a code point.
void AppendUtf8(char32_t code_point, std::string* out);

// UTF-8 text with every byte that starts no valid sequence replaced by
// U+FFFD; valid text comes back unchanged.
std::string ReplaceInvalidUtf8(std::string_view text);
