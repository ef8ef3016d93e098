#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>

#include "platform/text_encoding.h"

std::string Utf8ToLocaleCharset(std::string_view text) {
  // From LC_ALL, LC_CTYPE or LANG, as setlocale(LC_CTYPE, "") would take it;
  // ASCII when they name no locale there is.
  static const std::string charset = [] {
    const locale_t user = newlocale(LC_CTYPE_MASK, "", nullptr);
    if (user == nullptr) return std::string("ANSI_X3.4-1968");
    std::string name = nl_langinfo_l(CODESET, user);
    freelocale(user);
    return name;
  }();
  iconv_t converter = iconv_open(charset.c_str(), "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    NextCodePoint(text, &pos);
    char in_buffer[4];
    const size_t in_length = pos - start;
    text.copy(in_buffer, in_length, start);
    char* in = in_buffer;
    size_t in_left = in_length;
    char out_buffer[16];
    char* converted = out_buffer;
    size_t out_left = sizeof out_buffer;
    if (iconv(converter, &in, &in_left, &converted, &out_left) == static_cast<size_t>(-1)) {
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
      out += '?';
    } else {
      out.append(out_buffer, sizeof out_buffer - out_left);
    }
  }
  iconv_close(converter);
  return out;
}

CCharsetProbe::CCharsetProbe(const std::string& charset)
    : m_converter(iconv_open(charset.c_str(), "UTF-8")) {}

CCharsetProbe::~CCharsetProbe() {
  if (IsOpen()) iconv_close(static_cast<iconv_t>(m_converter));
}

bool CCharsetProbe::IsOpen() const { return m_converter != reinterpret_cast<void*>(-1); }

bool CCharsetProbe::CanHold(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) return true;
  const auto converter = static_cast<iconv_t>(m_converter);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  while (in_left > 0) {
    char out_buffer[256];
    char* out = out_buffer;
    size_t out_left = sizeof out_buffer;
    // A full buffer only means there is more to convert.
    if (iconv(converter, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) &&
        errno != E2BIG) {
      return false;
    }
  }
  return true;
}

std::span<const SystemCharset> SystemCharsets() { return {}; }

std::span<const CharsetAlias> SystemCharsetAliases() { return {}; }
