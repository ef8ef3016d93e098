#include "script/name_match.h"

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool MatchesNamePrefix(std::string_view text, std::string_view name) {
  if (text.size() > name.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(name[i])) return false;
  }
  return true;
}
