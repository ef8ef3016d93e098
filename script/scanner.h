// The lexical rules of the description language that stand on their own:
// line preparation, character classes and the escapes of quoted strings.
// The token rules themselves are CParser's (scanner.cpp), since they depend
// on the statement read so far.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The class of a character that starts a token; it selects the token rule.
enum class CharacterClass : uint32_t {
  Blank = 1,
  Word = 4,  // the quotation mark and every character without a class of its own
  SystemVariable = 8,
  Number = 16,  // the ASCII digits and "#"
  Operator = 32,
  FunctionMarker = 64,
  OpenParenthesis = 128,
  Separator = 256,
  CloseParenthesis = 512,
  Slash = 1024,
  EndOfCommand = 2048,
};

// The class of the byte c. Bytes of multi-byte UTF-8 characters, NUL,
// carriage return and every other unlisted byte are word characters.
CharacterClass Classify(char c);

// Replaces each tab by one to four spaces, up to the next column that is a
// multiple of 4, counting columns in characters.
std::string ExpandTabs(std::string_view text);

// Translates the escapes of a quoted string's text: a backslash before n,
// t, r, a quotation mark or a backslash makes one character (line feed, tab,
// carriage return, the mark, the backslash); a backslash before anything
// else stays, with that character. One pass, left to right.
std::string Unescape(std::string_view text);
