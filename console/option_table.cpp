#include "console/option_table.h"


namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

int FindOption(std::string_view text, std::span<const NamedValue> table) {
  for (size_t index = 0; index < table.size(); ++index) {
    const std::string_view name = table[index].name;
    if (name.size() < text.size()) continue;
    bool equal = true;
    for (size_t i = 0; i < text.size() && equal; ++i) {
      equal = LowerAscii(name[i]) == LowerAscii(text[i]);
    }
    if (equal) return static_cast<int>(index);
  }
  return -1;
}
