#include "xml/xml_names.h"

#include "platform/text_encoding.h"

namespace {

struct CodePointRange {
  char32_t first;
  char32_t last;
};

// NameStartChar without ":", which namespaces reserve as the separator.
constexpr CodePointRange kNameStartRanges[] = {
    {'A', 'Z'},       {'_', '_'},       {'a', 'z'},       {0xC0, 0xD6},     {0xD8, 0xF6},
    {0xF8, 0x2FF},    {0x370, 0x37D},   {0x37F, 0x1FFF},  {0x200C, 0x200D}, {0x2070, 0x218F},
    {0x2C00, 0x2FEF}, {0x3001, 0xD7FF}, {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF},
};

// What NameChar adds to NameStartChar.
constexpr CodePointRange kNameOnlyRanges[] = {
    {'-', '-'}, {'.', '.'}, {'0', '9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040},
};

constexpr CodePointRange kCharRanges[] = {
    {0x9, 0xA}, {0xD, 0xD}, {0x20, 0xD7FF}, {0xE000, 0xFFFD}, {0x10000, 0x10FFFF},
};

template <size_t N>
bool InRanges(const CodePointRange (&ranges)[N], char32_t c) {
  for (const CodePointRange& range : ranges) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

}  // namespace

bool IsNcName(std::string_view name) {
  if (name.empty() || !IsValidUtf8(name)) return false;
  size_t pos = 0;
  if (!InRanges(kNameStartRanges, NextCodePoint(name, &pos))) return false;
  while (pos < name.size()) {
    const char32_t c = NextCodePoint(name, &pos);
    if (!InRanges(kNameStartRanges, c) && !InRanges(kNameOnlyRanges, c)) return false;
  }
  return true;
}

bool SplitQualifiedName(std::string_view name, QualifiedName* parts) {
  const size_t colon = name.find(':');
  if (colon == std::string_view::npos) {
    *parts = {{}, name};
    return IsNcName(name);
  }
  *parts = {name.substr(0, colon), name.substr(colon + 1)};
  return IsNcName(parts->prefix) && IsNcName(parts->local);
}

bool IsXmlText(std::string_view text) {
  if (!IsValidUtf8(text)) return false;
  for (size_t pos = 0; pos < text.size();) {
    if (!InRanges(kCharRanges, NextCodePoint(text, &pos))) return false;
  }
  return true;
}

bool IsCommentText(std::string_view text) {
  return IsXmlText(text) && text.find("--") == std::string_view::npos &&
         (text.empty() || text.back() != '-');
}

bool IsCDataText(std::string_view text) {
  return IsXmlText(text) && text.find("]]>") == std::string_view::npos;
}

bool IsProcessingInstructionData(std::string_view text) {
  return IsXmlText(text) && text.find("?>") == std::string_view::npos;
}
