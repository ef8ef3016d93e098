#include "script/parser.h"

#include <new>

#include "platform/text_encoding.h"

CParser::CParser() = default;
CParser::~CParser() = default;

HRESULT CParser::SetArguments(int count, const char* const* arguments,
                              const std::function<bool(std::string_view)>& is_option) {
  try {
    m_arguments.clear();
    for (int i = 0; i < count; ++i) {
      if (i > 0 && is_option(arguments[i])) break;
      m_arguments.push_back(DecodeUnmarkedText(arguments[i]));
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

const ScriptValue* CParser::FindVariable(std::string_view name) const {
  const auto found = m_variables.find(name);
  return found == m_variables.end() ? nullptr : &found->second;
}

void CParser::BeginRun() {
  ResetStatement();
  m_lineNumber = 0;
  m_column = 0;
  m_executedCount = 0;
  m_statementLine = 0;
  m_errorCode = ScriptError::None;
  m_recentLines.clear();
  m_firstRecentLine = 1;
}

void CParser::ResetStatement() {
  m_state = ScannerState::Ready;
  m_depth = 0;
  m_cursor = 0;
  m_previousKind = TokenKind::StatementStart;
  m_nextWordKind = TokenKind::CommandWord;
  m_tokens.clear();
}

bool CParser::HasPendingStatement() const {
  return !m_tokens.empty() &&
         !(m_tokens.size() == 1 && m_tokens.front().kind == TokenKind::EndOfCommand);
}

HRESULT CParser::Fail(ScriptError error) {
  m_errorCode = error;
  return S_FALSE;
}
