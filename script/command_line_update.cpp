// The command-line update: the query and the value become one script line,
// `select node "<query>"; set node "<value>";`, run by the same scanner and
// executor as description files. The values come from deployment scripts
// and may be anything, so the line is scanned completely first and runs
// only when it is exactly those two statements: a value such as
// `x"; clear; set node "y` can never run commands of its own.
#include <iterator>
#include <new>

#include "platform/text_encoding.h"
#include "script/parser.h"

namespace {

struct ExpectedToken {
  TokenKind kind;
  bool quoted;
  std::string text;  // of words
};

// Whether token is the expected one. The quoted strings must hold exactly
// the query and the value: a string that a quotation mark inside them ended
// early, or that a backslash at their end ran on, holds something else.
bool Matches(const Token& token, const ExpectedToken& expected) {
  if (token.kind != expected.kind || token.quoted != expected.quoted) return false;
  return token.kind == TokenKind::EndOfCommand || token.value.String() == expected.text;
}

}  // namespace

HRESULT CParser::RunCommandLine(std::string_view query, std::string_view value) {
  try {
    m_descriptionPath.clear();  // no listing: there is no file
    std::string selection = DecodeUnmarkedText(query);
    // "?" lets a path that begins with "/" pass the option parser.
    if (selection.starts_with('?')) selection.erase(0, 1);
    const std::string text = DecodeUnmarkedText(value);
    const std::string line = "select node \"" + selection + "\"; set node \"" + text + "\";";

    BeginRun();
    std::vector<Token> scanned;
    HRESULT hr = ScanLine(line, &scanned);
    if (hr != S_OK) return hr;
    // An unfinished statement (an unclosed comment swallowed the rest) counts.
    std::vector<Token>& unfinished = m_scanner.Tokens();
    scanned.insert(scanned.end(), std::make_move_iterator(unfinished.begin()),
                   std::make_move_iterator(unfinished.end()));
    const ExpectedToken expected[] = {
        {TokenKind::CommandWord, false, "select"},    {TokenKind::Word, false, "node"},
        {TokenKind::Word, true, Unescape(selection)}, {TokenKind::EndOfCommand, false, ""},
        {TokenKind::CommandWord, false, "set"},       {TokenKind::Word, false, "node"},
        {TokenKind::Word, true, Unescape(text)},      {TokenKind::EndOfCommand, false, ""},
    };
    size_t matched = 0;
    while (matched < scanned.size() && matched < std::size(expected) &&
           Matches(scanned[matched], expected[matched])) {
      ++matched;
    }
    if (matched != scanned.size() || matched != std::size(expected)) {
      // Reported at the first token out of place, or at the last one when
      // the line stopped short.
      m_scanner.Tokens() = std::move(scanned);
      m_executing = true;
      m_cursor = matched + 1;
      return Fail(ScriptError::UnexpectedToken);
    }

    BeginRun();
    return RunLine(line);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
