// The error texts: the message of a script error with its line, and the
// listing of the failing statement with a caret under the failing token.
#include <algorithm>
#include <string>
#include <string_view>

#include "script/parser.h"

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
    {ScriptError::NothingMatched, "Expression matched nothing"},
    {ScriptError::InvalidName, "Not a valid XML name"},
    {ScriptError::UndeclaredPrefix, "Namespace prefix not declared"},
};

constexpr size_t kRuleWidth = 76;

// "%4d: ", without the C library's locale.
std::string LinePrefix(uint32_t line) {
  std::string number = std::to_string(line);
  if (number.size() < 4) number.insert(0, 4 - number.size(), ' ');
  return number + ": ";
}

}  // namespace

CParser::ErrorPosition CParser::FindErrorPosition() const {
  const std::vector<Token>& tokens = m_scanner.Tokens();
  if (!m_executing || tokens.empty()) {
    // The file ended inside a statement: the error is the last line's as a
    // whole. Else a scanning rule failed where the scanner stopped.
    if (m_errorCode == ScriptError::UnexpectedEndOfFile) return {m_lineNumber, 0};
    return {m_lineNumber, m_scanner.GetColumn()};
  }
  // A locator that found nothing leaves no valid index: show the last token,
  // the statement's ";".
  const Token& token =
      m_cursor >= 1 && m_cursor <= tokens.size() ? tokens[m_cursor - 1] : tokens.back();
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

HRESULT CParser::GetErrorListing(std::string* text) const {
  text->clear();
  const ErrorPosition position = FindErrorPosition();
  if (position.line == 0 || m_descriptionPath.empty()) return S_FALSE;
  // From the failing statement's command word, but no more than a few lines
  // above the error.
  const uint32_t first_line =
      std::max(m_scanner.GetStatementLine(),
               position.line > kListedLinesAbove ? position.line - kListedLinesAbove : 0);

  const std::string rule(kRuleWidth, '-');
  *text = rule + "\n\n";
  HRESULT hr = S_FALSE;
  for (uint32_t line = std::max(first_line, m_firstRecentLine); line <= position.line; ++line) {
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
