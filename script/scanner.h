// The scanner of the description language: CScanner reads lines of
// description text into the tokens of one statement at a time, checking the
// order of the tokens as it reads them, and stops at each ";" that
// completes a statement so that the engine (CParser) can execute it before
// the rest of the line is read. A statement may run over many lines and a
// line may hold several statements.
//
// Text is UTF-8. Columns count characters (code points) of the line after
// its tabs are expanded, never bytes. A line is scanned in place in one
// pass, looking ahead one character at most, never backtracking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "script/script_error.h"
#include "script/token.h"

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

class CScanner {
 public:
  // Where Scan stopped.
  enum class Stop {
    StatementComplete,  // at the ";" of a statement: Tokens() holds it
    EndOfLine,          // the line is read; the statement goes on, if one was begun
    Error,              // a rule failed: GetError() tells which, GetColumn() where
  };

  // Starts a run: no statement, no open block comment, column 0, and no
  // command word read yet.
  void Reset();
  // Forgets the statement read so far, after it was executed: its tokens,
  // its open parentheses and the kinds that the next token is checked
  // against. The line of its command word stays.
  void ResetStatement();
  // "$n" with n not below count is "Argument out of range".
  void SetArgumentCount(size_t count) { m_argumentCount = count; }

  // Makes text, line number line (0 for the command-line update), the line
  // to scan, from its start; its tabs are expanded first, except on line 0,
  // where a tab is a word character like any other. REQUIRES: text
  // outlives the scan of the line, up to EndLine.
  void BeginLine(std::string_view text, uint32_t line);
  // Scans on from the position until a statement is complete, the line
  // ends or a rule fails. A failed rule leaves the position on the
  // character where it started, for the error report.
  Stop Scan();
  // Forgets the line's text; the position stays.
  void EndLine() { m_text = {}; }

  ScriptError GetError() const { return m_error; }
  // The scan position in characters of the tab-expanded line.
  uint32_t GetColumn() const { return m_column; }
  // The line of the latest command word; 0 before the first.
  uint32_t GetStatementLine() const { return m_statementLine; }

  // The tokens of the statement being read, in source order. The executor
  // takes their values as it binds them; the error report reads them.
  std::vector<Token>& Tokens() { return m_tokens; }
  const std::vector<Token>& Tokens() const { return m_tokens; }
  // Whether a statement has begun and not ended: tokens other than a lone
  // ";".
  bool HasPendingStatement() const;

 private:
  // The token rules, one per character class. Each returns S_OK, having
  // moved the position past what it read, or S_FALSE (Fail) leaving it.
  HRESULT ScanToken();
  HRESULT ScanBlockComment();
  HRESULT ScanWord();
  HRESULT ScanSystemVariable();
  HRESULT ScanNumber();
  HRESULT ScanOperator();
  HRESULT ScanOpenParenthesis();
  HRESULT ScanSeparator();
  HRESULT ScanCloseParenthesis();
  HRESULT ScanSlash();
  HRESULT ScanEndOfCommand();
  // Sets the error; returns S_FALSE.
  HRESULT Fail(ScriptError error);
  // Moves the scan position to the byte offset, counting the characters.
  void MoveTo(size_t offset);
  // Appends a token that begins at the scan position.
  void PushToken(TokenKind kind, ScriptValue&& value, bool quoted = false);
  // PushToken, and the kind becomes the previous kind; the next word is a
  // plain word again.
  void AddToken(TokenKind kind, ScriptValue&& value, bool quoted = false);

  // The line being scanned, tabs expanded; valid from BeginLine to EndLine.
  std::string_view m_text;
  std::string m_expanded;    // m_text's storage when the line had tabs
  bool m_asciiText = false;  // m_text has only ASCII: a column is a byte
  size_t m_offset = 0;       // byte offset of the scan position in m_text
  uint32_t m_column = 0;     // the scan position in characters
  uint32_t m_line = 0;       // the line's number, which its tokens carry

  bool m_inBlockComment = false;     // a "/*" whose "*/" has not come yet
  bool m_statementComplete = false;  // a ";" was read; Scan reports it
  std::vector<Token> m_tokens;       // the statement being read
  TokenKind m_previousKind = TokenKind::StatementStart;
  TokenKind m_nextWordKind = TokenKind::CommandWord;
  int32_t m_depth = 0;  // open parentheses; below 0 after a stray ")"
  uint32_t m_statementLine = 0;

  size_t m_argumentCount = 0;
  ScriptError m_error = ScriptError::None;
};
