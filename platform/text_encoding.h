// Conversions between the encodings the program meets. Text inside the
// program is UTF-8; everything else is converted at the edges.
#pragma once

#include <span>
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

// wchar_t text (UTF-16 on Windows, UTF-32 elsewhere) to UTF-8 and back;
// what is not a character (an unpaired surrogate, an invalid sequence)
// becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// UTF-8 to the character set of the user's locale (LC_CTYPE; on Windows the
// ANSI code page); characters it cannot hold become "?".
std::string Utf8ToLocaleCharset(std::string_view text);

#ifdef _WIN32
// UTF-8 to the code page code_page (the console's, say); characters it
// cannot hold become "?".
std::string Utf8ToCodePage(std::string_view text, unsigned code_page);
#endif

// Tells which texts a character set, named as the system's converters name
// it (iconv, or on Windows the names of SystemCharsets()), can hold.
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
  void* m_converter;  // an iconv_t; on Windows the code page's entry, or null
};

// A converter between a character set and UTF-8 in the form that C
// libraries take (libxml2's xmlCharEncodingInputFunc and
// xmlCharEncodingOutputFunc): converts from in[0..*in_length) into
// out[0..*out_length), sets *in_length to the bytes consumed and
// *out_length to the bytes produced, and returns the bytes produced, or -2
// at a byte sequence that is no character of the source (to UTF-8), or at a
// character that the target cannot hold (from UTF-8); everything before it
// is converted. A character cut off at the end of in is left unconsumed.
using ChunkConverter = int (*)(unsigned char* out, int* out_length, const unsigned char* in,
                               int* in_length);

// A character set that the system converts and a library may lack.
struct SystemCharset {
  std::string_view name;  // as documents declare it
  ChunkConverter to_utf8;
  ChunkConverter from_utf8;
};

// Another name of a character set.
struct CharsetAlias {
  std::string_view alias;
  std::string_view name;
};

// The character sets, and the other names they go by, that the system
// converts for a library built without converters of its own: on Windows,
// its code pages (windows-1252, shift_jis, koi8-r, ...), for libxml2, which
// is built there without iconv. Empty elsewhere: there libxml2 reads the
// system's converters (iconv) itself.
std::span<const SystemCharset> SystemCharsets();
std::span<const CharsetAlias> SystemCharsetAliases();

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
