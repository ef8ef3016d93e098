// The command-line run: the query and the value become one script line
// (`select node "<query>"; set node "<value>";` for the plain update), run
// by the same scanner and executor as description files. The values come
// from deployment scripts and may be anything, so the line is scanned
// completely first and runs only when it is exactly the statements meant: a
// value such as `x"; clear; set node "y` can never run commands of its own.
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

// The statements of a command-line run, as text and as the tokens they
// must scan into; query and value are the texts pasted between quotation
// marks, unescaped as the scanner will read them.
struct QueryStatements {
  std::string line;
  std::vector<ExpectedToken> tokens;
};

QueryStatements StatementsFor(CParser::QueryAction action, const std::string& query,
                              const std::string& value) {
  using Action = CParser::QueryAction;
  const ExpectedToken end{TokenKind::EndOfCommand, false, ""};
  const auto command = [](const char* word) {
    return ExpectedToken{TokenKind::CommandWord, false, word};
  };
  const auto word = [](const char* text) { return ExpectedToken{TokenKind::Word, false, text}; };
  const ExpectedToken quoted_query{TokenKind::Word, true, Unescape(query)};
  const std::string pasted_query = "\"" + query + "\"";
  switch (action) {
    case Action::SetFirst:
      return {"select node " + pasted_query + "; set node \"" + value + "\";",
              {command("select"), word("node"), quoted_query, end, command("set"), word("node"),
               ExpectedToken{TokenKind::Word, true, Unescape(value)}, end}};
    case Action::SetEvery:
      return {"set nodes " + pasted_query + " \"" + value + "\";",
              {command("set"), word("nodes"), quoted_query,
               ExpectedToken{TokenKind::Word, true, Unescape(value)}, end}};
    case Action::GetFirst:
    case Action::GetEvery:
      break;
  }
  const bool every = action == Action::GetEvery;
  return {std::string(every ? "get nodes " : "get child ") + pasted_query + " text; print text;",
          {command("get"), word(every ? "nodes" : "child"), quoted_query, word("text"), end,
           command("print"), word("text"), end}};
}

}  // namespace

HRESULT CParser::RunCommandLine(std::string_view query, std::string_view value,
                                QueryAction action) {
  try {
    m_descriptionPath.clear();  // no listing: there is no file
    std::string selection = DecodeUnmarkedText(query);
    // "?" lets a path that begins with "/" pass the option parser.
    if (selection.starts_with('?')) selection.erase(0, 1);
    const QueryStatements statements = StatementsFor(action, selection, DecodeUnmarkedText(value));
    const std::string& line = statements.line;
    const std::vector<ExpectedToken>& expected = statements.tokens;

    BeginRun();
    std::vector<Token> scanned;
    HRESULT hr = ScanLine(line, &scanned);
    if (hr != S_OK) return hr;
    // An unfinished statement (an unclosed comment swallowed the rest) counts.
    std::vector<Token>& unfinished = m_scanner.Tokens();
    scanned.insert(scanned.end(), std::make_move_iterator(unfinished.begin()),
                   std::make_move_iterator(unfinished.end()));
    size_t matched = 0;
    while (matched < scanned.size() && matched < expected.size() &&
           Matches(scanned[matched], expected[matched])) {
      ++matched;
    }
    if (matched != scanned.size() || matched != expected.size()) {
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
