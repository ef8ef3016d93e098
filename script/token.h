// A token of a statement as the scanner reads it and the executor consumes
// it. The token list of one statement, in source order, is the only
// structure between the two: there is no syntax tree. The locators find the
// token that an error of one parameter or argument is reported at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "script/script_value.h"

// Each kind is a bit of its own, so that a set of kinds is a mask.
enum class TokenKind : uint32_t {
  StatementStart = 1,  // never a token: the previous kind before a statement's first token
  CommandWord = 2,
  Word = 4,  // a later word, bare or quoted, or an omitted function argument
  SystemVariable = 8,
  Number = 16,
  Operator = 32,
  FunctionName = 64,
  OpenParenthesis = 128,
  Separator = 256,
  CloseParenthesis = 512,
  EndOfCommand = 2048,
};

using TokenKindSet = uint32_t;

constexpr TokenKindSet operator|(TokenKind a, TokenKind b) {
  return static_cast<TokenKindSet>(a) | static_cast<TokenKindSet>(b);
}
constexpr TokenKindSet operator|(TokenKindSet set, TokenKind kind) {
  return set | static_cast<TokenKindSet>(kind);
}
constexpr bool Contains(TokenKindSet set, TokenKind kind) {
  return (set & static_cast<TokenKindSet>(kind)) != 0;
}

// The operators, by the identifiers that operator tokens carry as their value.
enum class Operator : int32_t {
  None = 0,
  Add = 1,
  Subtract = 2,
  Multiply = 3,
  Divide = 4,
  Assign = 5
};

struct Token {
  TokenKind kind;
  bool quoted;      // a word written as a quoted string
  uint32_t line;    // 1-based; 0 for the command-line update
  uint32_t column;  // 0-based, in characters of the tab-expanded line
  // Words and function names: the text (a quoted string unescaped); numbers
  // and system variables: the integer; operators: the Operator identifier.
  ScriptValue value;
};

// The 1-based index of the first token of parameter number parameter
// (0-based) among the tokens from index first (0-based) to the end of the
// statement, or 0 when the statement ends first. The right operand of an
// arithmetic operator belongs to the parameter before it, and the arguments
// of a function call to the parameter of the call.
size_t FindParameterToken(std::span<const Token> tokens, size_t parameter, size_t first);

// The 1-based index of the first token of argument number argument
// (0-based) of the function call whose "(" is tokens[first], or 0 when the
// call has no such argument. Tokens of nested calls are passed over.
size_t FindArgumentToken(std::span<const Token> tokens, size_t argument, size_t first);
