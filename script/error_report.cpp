// The error texts: the message of a script error with its line, and the
// listing of the failing statement with a caret under the failing token.
#include "script/error_report.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "script/parser.h"
#include "script/scanner.h"

namespace {

struct ErrorRow {
  ScriptError code;
  std::string_view message;
};

constexpr ErrorRow kErrors[] = {
    {ScriptError::CommandFailed, "Command failed"},
    {ScriptError::FunctionFailed, "Function failed"},
    {ScriptError::UnexpectedToken, "Unexpected token"},
    {ScriptError::UnexpectedEndOfFile, "Unexpected end of file"},
    {ScriptError::CommandMissing, "Command missing"},
    {ScriptError::OpeningParenthesisMissing, "Opening parenthesis missing"},
    {ScriptError::ParameterSeparatorMissing, "Parameter separator (,) missing"},
    {ScriptError::ClosingParenthesisMissing, "Closing parenthesis missing"},
    {ScriptError::TokenMissing, "Token missing"},
    {ScriptError::MatchingQuoteMissing, "Matching quote missing"},
    {ScriptError::UnknownCommand, "Unknown command"},
    {ScriptError::UnknownQualifier, "Unknown qualifier"},
    {ScriptError::UnknownFunction, "Unknown function"},
    {ScriptError::UnknownVariable, "Unknown variable"},
    {ScriptError::NotEnoughFunctionParameters, "Not enough function parameters"},
    {ScriptError::TooManyFunctionParameters, "Too many function parameters"},
    {ScriptError::NotEnoughCommandParameters, "Not enough command parameters"},
    {ScriptError::TooManyCommandParameters, "Too many command parameters"},
    {ScriptError::SystemError, "System error"},
    {ScriptError::ArgumentOutOfRange, "Argument out of range"},
    {ScriptError::InvalidParameterType, "Invalid parameter type"},
    {ScriptError::DivisionByZero, "Division by zero"},
};

constexpr size_t kRuleWidth = 76;

// "%4d: ", without the C library's locale.
std::string LinePrefix(uint32_t line) {
  std::string number = std::to_string(line);
  if (number.size() < 4) number.insert(0, 4 - number.size(), ' ');
  return number + ": ";
}

}  // namespace

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

CParser::ErrorPosition CParser::FindErrorPosition() const {
  if (m_state != ScannerState::Executing || m_tokens.empty()) return {m_lineNumber, m_column};
  // A locator that found nothing leaves no valid index: show the last token,
  // the statement's ";".
  const Token& token =
      m_cursor >= 1 && m_cursor <= m_tokens.size() ? m_tokens[m_cursor - 1] : m_tokens.back();
  return {token.line, token.column};
}

void CParser::GetErrorMessage(std::string* text) const {
  for (const ErrorRow& row : kErrors) {
    if (row.code != m_errorCode) continue;
    *text = row.message;
    const ErrorPosition position = FindErrorPosition();
    if (position.line > 0) *text += " in line " + std::to_string(position.line) + ".";
    return;
  }
  *text = "System error.";
}

HRESULT CParser::GetErrorListing(std::string* text) {
  text->clear();
  const ErrorPosition position = FindErrorPosition();
  if (position.line == 0 || m_descriptionPath.empty()) return S_FALSE;
  if (position.line > m_statementLine + kListedLinesAbove) {
    m_statementLine = position.line - kListedLinesAbove;
  }

  const std::string rule(kRuleWidth, '-');
  *text = rule + "\n\n";
  HRESULT hr = S_FALSE;
  for (uint32_t line = std::max(m_statementLine, m_firstRecentLine); line <= position.line;
       ++line) {
    const size_t index = line - m_firstRecentLine;
    if (index >= m_recentLines.size()) break;
    const std::string prefix = LinePrefix(line);
    *text += prefix + ExpandTabs(m_recentLines[index]) + "\n";
    if (line == position.line) {
      text->append(prefix.size() + position.column, ' ');
      *text += "^";
      hr = S_OK;
    }
  }
  *text += "\n\n" + rule + "\n\n";
  return hr;
}
