#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "platform/text_encoding.h"

namespace {

struct CodePage {
  std::string_view name;
  UINT code_page;
};

// The character sets users name, under the names documents declare them
// with. The ISO-8859 sets and ASCII are libxml2's own as well; they are
// here for CCharsetProbe. libxml2 has room for some 28 character sets
// besides its own: this table stays well below.
constexpr CodePage kCodePages[] = {
    {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252}, {"windows-1253", 1253},
    {"windows-1254", 1254}, {"windows-1255", 1255}, {"windows-1256", 1256}, {"windows-1257", 1257},
    {"windows-1258", 1258}, {"windows-874", 874},   {"Shift_JIS", 932},     {"GBK", 936},
    {"EUC-KR", 949},        {"Big5", 950},          {"EUC-JP", 20932},      {"KOI8-R", 20866},
    {"KOI8-U", 21866},      {"IBM437", 437},        {"IBM850", 850},        {"IBM852", 852},
    {"IBM866", 866},        {"IBM037", 37},         {"macintosh", 10000},   {"US-ASCII", 20127},
    {"ISO-8859-1", 28591},  {"ISO-8859-2", 28592},  {"ISO-8859-3", 28593},  {"ISO-8859-4", 28594},
    {"ISO-8859-5", 28595},  {"ISO-8859-6", 28596},  {"ISO-8859-7", 28597},  {"ISO-8859-8", 28598},
    {"ISO-8859-9", 28599},  {"ISO-8859-13", 28603}, {"ISO-8859-15", 28605},
};

// Other names of those sets, as iconv knows them, so that a name that works
// on Linux works here.
constexpr CharsetAlias kAliases[] = {
    {"cp1250", "windows-1250"},
    {"cp1251", "windows-1251"},
    {"cp1252", "windows-1252"},
    {"cp1253", "windows-1253"},
    {"cp1254", "windows-1254"},
    {"cp1255", "windows-1255"},
    {"cp1256", "windows-1256"},
    {"cp1257", "windows-1257"},
    {"cp1258", "windows-1258"},
    {"cp874", "windows-874"},
    {"tis-620", "windows-874"},
    {"sjis", "Shift_JIS"},
    {"shift-jis", "Shift_JIS"},
    {"ms_kanji", "Shift_JIS"},
    {"csshiftjis", "Shift_JIS"},
    {"cp932", "Shift_JIS"},
    {"windows-31j", "Shift_JIS"},
    {"gb2312", "GBK"},
    {"cp936", "GBK"},
    {"euc-cn", "GBK"},
    {"cp949", "EUC-KR"},
    {"uhc", "EUC-KR"},
    {"ks_c_5601-1987", "EUC-KR"},
    {"cp950", "Big5"},
    {"big-5", "Big5"},
    {"eucjp", "EUC-JP"},
    {"koi8r", "KOI8-R"},
    {"cp437", "IBM437"},
    {"cp850", "IBM850"},
    {"cp852", "IBM852"},
    {"cp866", "IBM866"},
    {"cp037", "IBM037"},
    {"ebcdic-cp-us", "IBM037"},
    {"mac", "macintosh"},
    {"macroman", "macintosh"},
    {"ascii", "US-ASCII"},
    {"latin1", "ISO-8859-1"},
    {"latin2", "ISO-8859-2"},
    {"latin3", "ISO-8859-3"},
    {"latin4", "ISO-8859-4"},
    {"latin5", "ISO-8859-9"},
    {"latin7", "ISO-8859-13"},
    {"latin9", "ISO-8859-15"},
    {"cyrillic", "ISO-8859-5"},
    {"arabic", "ISO-8859-6"},
    {"greek", "ISO-8859-7"},
    {"hebrew", "ISO-8859-8"},
};

// Unicode encodings, which hold every character: for CCharsetProbe only,
// since libxml2 has its own converters for those it reads.
constexpr std::string_view kUnicodeNames[] = {
    "UTF-8", "UTF-16", "UTF-16LE", "UTF-16BE", "UTF-32", "UTF-32LE", "UTF-32BE", "UCS-2", "UCS-4"};
constexpr CodePage kUnicode = {"UTF-8", CP_UTF8};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

const CodePage* FindCodePage(std::string_view name) {
  for (const CharsetAlias& alias : kAliases) {
    if (SameName(alias.alias, name)) name = alias.name;
  }
  for (const CodePage& entry : kCodePages) {
    if (SameName(entry.name, name)) return &entry;
  }
  for (std::string_view unicode : kUnicodeNames) {
    if (SameName(unicode, name)) return &kUnicode;
  }
  return nullptr;
}

// The length of the longest prefix of bytes[0..length) that ends on a whole
// character of the code page.
int WholeCharacters(UINT code_page, const unsigned char* bytes, int length) {
  CPINFO info;
  if (!GetCPInfo(code_page, &info) || info.MaxCharSize == 1) return length;
  int whole = 0;
  while (whole < length) {
    const int size = IsDBCSLeadByteEx(code_page, bytes[whole]) ? 2 : 1;
    if (whole + size > length) break;
    whole += size;
  }
  return whole;
}

// Whether bytes are characters of the code page through and through.
bool DecodesWhole(UINT code_page, const unsigned char* bytes, int length, std::wstring* wide) {
  wide->resize(static_cast<size_t>(length));
  const int count =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                          length, wide->data(), length);
  wide->resize(static_cast<size_t>(std::max(count, 0)));
  return count > 0 || length == 0;
}

// Appends text to out[*produced..capacity); false when it does not fit.
bool Put(std::string_view text, unsigned char* out, int capacity, int* produced) {
  if (static_cast<int>(text.size()) > capacity - *produced) return false;
  std::memcpy(out + *produced, text.data(), text.size());
  *produced += static_cast<int>(text.size());
  return true;
}

int ToUtf8(UINT code_page, unsigned char* out, int* out_length, const unsigned char* in,
           int* in_length) {
  // A character of these code pages takes at most three bytes in UTF-8.
  int length = WholeCharacters(code_page, in, std::min(*in_length, *out_length / 3));
  std::wstring wide;
  int result = 0;
  if (!DecodesWhole(code_page, in, length, &wide)) {
    // Up to the first byte sequence that is no character.
    int good = 0;
    while (good < length) {
      const int size = IsDBCSLeadByteEx(code_page, in[good]) && good + 1 < length ? 2 : 1;
      std::wstring ignored;
      if (!DecodesWhole(code_page, in + good, size, &ignored)) break;
      good += size;
    }
    length = good;
    DecodesWhole(code_page, in, length, &wide);
    result = -2;
  }
  int produced = 0;
  Put(WideToUtf8(wide), out, *out_length, &produced);
  *in_length = length;
  *out_length = produced;
  return result == 0 ? produced : result;
}

// The number of bytes of the whole UTF-8 sequences that start text[0..length).
int WholeSequences(const unsigned char* text, int length) {
  int end = length;
  // Back over a sequence cut off at the end: at most three continuation
  // bytes and their lead.
  for (int back = 1; back <= 4 && back <= length; ++back) {
    const unsigned char byte = text[length - back];
    if ((byte & 0xC0) == 0x80) continue;
    const int size = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    if (size > back) end = length - back;
    break;
  }
  return end;
}

// text in code_page; false when one of its characters has no form there.
bool EncodesWhole(UINT code_page, std::wstring_view text, std::string* bytes) {
  if (code_page == CP_UTF8) {
    *bytes = WideToUtf8(text);
    return true;
  }
  bytes->resize(text.size() * 2 + 1);
  BOOL defaulted = FALSE;
  const int count = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text.data(),
                                        static_cast<int>(text.size()), bytes->data(),
                                        static_cast<int>(bytes->size()), nullptr, &defaulted);
  bytes->resize(static_cast<size_t>(std::max(count, 0)));
  return (count > 0 || text.empty()) && !defaulted;
}

int FromUtf8(UINT code_page, unsigned char* out, int* out_length, const unsigned char* in,
             int* in_length) {
  // A character takes at least one byte of UTF-8 and at most two here.
  const int length = WholeSequences(in, std::min(*in_length, *out_length / 2));
  const std::string_view text(reinterpret_cast<const char*>(in), static_cast<size_t>(length));
  std::string bytes;
  int consumed = length;
  int result = 0;
  if (!EncodesWhole(code_page, Utf8ToWide(text), &bytes)) {
    // Up to the first character the code page cannot hold.
    size_t pos = 0;
    std::wstring good;
    while (pos < text.size()) {
      size_t next = pos;
      NextCodePoint(text, &next);
      std::wstring candidate = good + Utf8ToWide(text.substr(pos, next - pos));
      std::string ignored;
      if (!EncodesWhole(code_page, candidate.substr(good.size()), &ignored)) break;
      good = std::move(candidate);
      pos = next;
    }
    EncodesWhole(code_page, good, &bytes);
    consumed = static_cast<int>(pos);
    result = -2;
  }
  int produced = 0;
  Put(bytes, out, *out_length, &produced);
  *in_length = consumed;
  *out_length = produced;
  return result == 0 ? produced : result;
}

// libxml2's converters carry no context: one pair of functions per entry.
template <size_t kIndex>
int EntryToUtf8(unsigned char* out, int* out_length, const unsigned char* in, int* in_length) {
  return ToUtf8(kCodePages[kIndex].code_page, out, out_length, in, in_length);
}

template <size_t kIndex>
int EntryFromUtf8(unsigned char* out, int* out_length, const unsigned char* in, int* in_length) {
  return FromUtf8(kCodePages[kIndex].code_page, out, out_length, in, in_length);
}

template <size_t... kIndex>
constexpr std::array<SystemCharset, sizeof...(kIndex)> MakeCharsets(
    std::index_sequence<kIndex...>) {
  return {SystemCharset{kCodePages[kIndex].name, EntryToUtf8<kIndex>, EntryFromUtf8<kIndex>}...};
}

constexpr auto kCharsets = MakeCharsets(std::make_index_sequence<std::size(kCodePages)>());

}  // namespace

std::string Utf8ToCodePage(std::string_view text, unsigned code_page) {
  const std::wstring wide = Utf8ToWide(text);
  if (wide.empty()) return {};
  std::string bytes(wide.size() * 4, '\0');
  const int count = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(),
                                        static_cast<int>(wide.size()), bytes.data(),
                                        static_cast<int>(bytes.size()), "?", nullptr);
  // A code page that refuses the flag (a Unicode one) takes the text as it is.
  if (count <= 0) return std::string(text);
  bytes.resize(static_cast<size_t>(count));
  return bytes;
}

std::string Utf8ToLocaleCharset(std::string_view text) { return Utf8ToCodePage(text, GetACP()); }

CCharsetProbe::CCharsetProbe(const std::string& charset)
    : m_converter(const_cast<CodePage*>(FindCodePage(charset))) {
  if (m_converter != nullptr && !IsValidCodePage(static_cast<CodePage*>(m_converter)->code_page)) {
    m_converter = nullptr;
  }
}

CCharsetProbe::~CCharsetProbe() = default;

bool CCharsetProbe::IsOpen() const { return m_converter != nullptr; }

bool CCharsetProbe::CanHold(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) return true;
  std::string ignored;
  return EncodesWhole(static_cast<const CodePage*>(m_converter)->code_page, Utf8ToWide(text),
                      &ignored);
}

std::span<const SystemCharset> SystemCharsets() { return kCharsets; }

std::span<const CharsetAlias> SystemCharsetAliases() { return kAliases; }
