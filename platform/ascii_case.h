// The program's one case rule: names (options, commands, functions, hash
// algorithms, size units, resource keys) compare without the case of the
// ASCII letters A to Z, whatever the locale, and no other letter is folded.
#pragma once

#include <string>
#include <string_view>

// c with A to Z made a to z.
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// text with A to Z made a to z; every other byte as it is.
std::string LowerCaseAscii(std::string_view text);

// text with a to z made A to Z; every other byte as it is.
std::string UpperCaseAscii(std::string_view text);

// Whether a and b are the same text but for the case of A to Z.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
