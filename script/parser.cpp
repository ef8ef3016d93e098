// The engine's run: its arguments and variables, and the loop that hands
// each line to the scanner and each statement the scanner completes to the
// executor.
#include "script/parser.h"

#include <iterator>
#include <new>

#include "platform/text_encoding.h"

CParser::CParser() = default;
CParser::~CParser() = default;

HRESULT CParser::SetArguments(int count, const char* const* arguments,
                              const std::function<bool(std::string_view)>& is_option) {
  HRESULT hr = S_OK;
  try {
    m_arguments.clear();
    for (int i = 0; i < count; ++i) {
      if (i > 0 && is_option(arguments[i])) break;
      m_arguments.push_back(DecodeUnmarkedText(arguments[i]));
    }
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  m_scanner.SetArgumentCount(m_arguments.size());
  return hr;
}

const ScriptValue* CParser::FindVariable(std::string_view name) const {
  const auto found = m_variables.find(name);
  return found == m_variables.end() ? nullptr : &found->second;
}

void CParser::BeginRun() {
  m_scanner.Reset();
  m_executing = false;
  m_cursor = 0;
  m_lineNumber = 0;
  m_executedCount = 0;
  m_errorCode = ScriptError::None;
  m_recentLines.clear();
  m_firstRecentLine = 1;
}

void CParser::ResetStatement() {
  m_scanner.ResetStatement();
  m_executing = false;
  m_cursor = 0;
}

HRESULT CParser::ScanLine(std::string_view text, std::vector<Token>* kept) {
  m_scanner.BeginLine(text, m_lineNumber);
  HRESULT hr = S_OK;
  CScanner::Stop stop = CScanner::Stop::EndOfLine;
  while (hr == S_OK && (stop = m_scanner.Scan()) == CScanner::Stop::StatementComplete) {
    hr = CompleteStatement(kept);
  }
  m_scanner.EndLine();
  if (hr == S_OK && stop == CScanner::Stop::Error) hr = Fail(m_scanner.GetError());
  return hr;
}

HRESULT CParser::CompleteStatement(std::vector<Token>* kept) {
  std::vector<Token>& tokens = m_scanner.Tokens();
  if (kept != nullptr) {
    kept->insert(kept->end(), std::make_move_iterator(tokens.begin()),
                 std::make_move_iterator(tokens.end()));
    ResetStatement();
    return S_OK;
  }
  // A ";" alone is an empty statement, which does nothing.
  if (!m_scanner.HasPendingStatement()) {
    ResetStatement();
    return S_OK;
  }
  const HRESULT hr = ExecuteStatement();
  // After a failure the statement stays as it is, for the error report.
  if (hr == S_OK) ResetStatement();
  return hr;
}

HRESULT CParser::Fail(ScriptError error) {
  m_errorCode = error;
  return S_FALSE;
}
