#include "script/token.h"

size_t FindParameterToken(std::span<const Token> tokens, size_t parameter, size_t first) {
  int32_t depth = 0;
  bool after_operator = false;
  size_t count = 0;
  for (size_t i = first; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    switch (token.kind) {
      case TokenKind::EndOfCommand:
        return 0;
      case TokenKind::OpenParenthesis:
        ++depth;
        continue;
      case TokenKind::CloseParenthesis:
        --depth;
        continue;
      case TokenKind::Operator:
        // "=" separates a variable name from the value, the next parameter.
        if (depth == 0 && token.value != ScriptValue(static_cast<int32_t>(Operator::Assign))) {
          after_operator = true;
        }
        continue;
      default:
        break;
    }
    if (depth != 0) continue;
    if (after_operator) {
      after_operator = false;  // the right operand belongs to the parameter before
    } else if (count++ == parameter) {
      return i + 1;
    }
  }
  return 0;
}

size_t FindArgumentToken(std::span<const Token> tokens, size_t argument, size_t first) {
  int32_t depth = 0;
  size_t count = 0;
  for (size_t i = first; i < tokens.size(); ++i) {
    switch (tokens[i].kind) {
      case TokenKind::OpenParenthesis:
        ++depth;
        break;
      case TokenKind::CloseParenthesis:
        if (--depth == 0) return 0;  // the call ended first
        break;
      case TokenKind::Separator:
        if (depth == 1) ++count;
        break;
      default:
        if (depth == 1 && count == argument) return i + 1;
        break;
    }
  }
  return 0;
}
