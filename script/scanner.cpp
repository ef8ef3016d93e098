// Line preparation, the character classes and the token rules. Each rule
// either fails, leaving the scan position on the character where it started
// (the error report shows it there), or moves the position past what it
// read, so that every line is scanned in one pass without backtracking.
#include "script/scanner.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "platform/text_encoding.h"

namespace {

struct ClassRow {
  char character;
  CharacterClass characterClass;
};

constexpr ClassRow kClasses[] = {
    {' ', CharacterClass::Blank},          {'"', CharacterClass::Word},
    {'$', CharacterClass::SystemVariable}, {'#', CharacterClass::Number},
    {'@', CharacterClass::FunctionMarker}, {'(', CharacterClass::OpenParenthesis},
    {',', CharacterClass::Separator},      {')', CharacterClass::CloseParenthesis},
    {'/', CharacterClass::Slash},          {';', CharacterClass::EndOfCommand},
};

struct OperatorRow {
  char character;
  Operator op;
};

constexpr OperatorRow kOperators[] = {
    {'+', Operator::Add},    {'-', Operator::Subtract}, {'*', Operator::Multiply},
    {'/', Operator::Divide}, {'=', Operator::Assign},
};

struct EscapeRow {
  char escaped;
  char meaning;
};

constexpr EscapeRow kEscapes[] = {
    {'n', '\n'}, {'t', '\t'}, {'r', '\r'}, {'"', '"'}, {'\\', '\\'},
};

// The class of every byte, built once from the tables above: the digits
// first, then the table of classes, then the operators the table left over.
constexpr std::array<CharacterClass, 256> BuildClassOfByte() {
  std::array<CharacterClass, 256> classes{};
  classes.fill(CharacterClass::Word);
  for (char digit = '0'; digit <= '9'; ++digit) {
    classes[static_cast<unsigned char>(digit)] = CharacterClass::Number;
  }
  for (const ClassRow& row : kClasses) {
    classes[static_cast<unsigned char>(row.character)] = row.characterClass;
  }
  for (const OperatorRow& row : kOperators) {
    CharacterClass& entry = classes[static_cast<unsigned char>(row.character)];
    if (entry == CharacterClass::Word) entry = CharacterClass::Operator;
  }
  return classes;
}

constexpr std::array<CharacterClass, 256> kClassOfByte = BuildClassOfByte();

Operator OperatorOf(char c) {
  for (const OperatorRow& row : kOperators) {
    if (row.character == c) return row.op;
  }
  return Operator::None;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A bare word runs on through every character that does not end it: blanks
// and the characters of operators, parentheses, separators and ";" do.
bool IsBareWordCharacter(char c) {
  switch (Classify(c)) {
    case CharacterClass::Word:
    case CharacterClass::SystemVariable:
    case CharacterClass::Number:
    case CharacterClass::FunctionMarker:
      return true;
    default:
      return false;
  }
}

// Advances *pos over one character: one byte of ASCII, else one UTF-8
// sequence, or one byte that starts no valid sequence.
void SkipCharacter(std::string_view text, size_t* pos) {
  if (static_cast<unsigned char>(text[*pos]) < 0x80) {
    ++*pos;
  } else {
    NextCodePoint(text, pos);
  }
}

bool IsAscii(std::string_view text) {
  unsigned char bits = 0;
  for (const char c : text) bits |= static_cast<unsigned char>(c);
  return bits < 0x80;
}

uint32_t CountColumns(std::string_view text) {
  uint32_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) SkipCharacter(text, &pos);
  return count;
}

// Reads the run of decimal digits that starts at from into *value, clamped
// at the largest integer as wcstol clamps; *end is the offset after the run.
// False when there are no digits there.
bool ReadDigits(std::string_view text, size_t from, int32_t* value, size_t* end) {
  constexpr int64_t kMaximum = std::numeric_limits<int32_t>::max();
  int64_t number = 0;
  size_t pos = from;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    number = std::min(number * 10 + (text[pos] - '0'), kMaximum);
  }
  *value = static_cast<int32_t>(number);
  *end = pos;
  return pos > from;
}

// The offset of the quotation mark that closes a string whose text starts
// at from, or npos when the text ends first. A backslash makes the next
// character ordinary, whatever it is.
size_t FindClosingQuote(std::string_view text, size_t from) {
  for (size_t pos = from; pos < text.size(); ++pos) {
    if (text[pos] == '\\') {
      ++pos;
    } else if (text[pos] == '"') {
      return pos;
    }
  }
  return std::string_view::npos;
}

}  // namespace

CharacterClass Classify(char c) { return kClassOfByte[static_cast<unsigned char>(c)]; }

std::string ExpandTabs(std::string_view text) {
  std::string expanded;
  expanded.reserve(text.size() + 8);
  size_t column = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == '\t') {
      const size_t width = 4 - column % 4;
      expanded.append(width, ' ');
      column += width;
      ++pos;
      continue;
    }
    const size_t start = pos;
    SkipCharacter(text, &pos);
    expanded.append(text, start, pos - start);
    ++column;
  }
  return expanded;
}

std::string Unescape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] == '\\' && pos + 1 < text.size()) {
      const EscapeRow* escape = nullptr;
      for (const EscapeRow& row : kEscapes) {
        if (row.escaped == text[pos + 1]) escape = &row;
      }
      if (escape != nullptr) {
        result += escape->meaning;
        ++pos;
        continue;
      }
    }
    result += text[pos];
  }
  return result;
}

void CScanner::Reset() {
  ResetStatement();
  m_inBlockComment = false;
  m_column = 0;
  m_statementLine = 0;
  m_error = ScriptError::None;
}

void CScanner::ResetStatement() {
  m_statementComplete = false;
  m_tokens.clear();
  m_previousKind = TokenKind::StatementStart;
  m_nextWordKind = TokenKind::CommandWord;
  m_depth = 0;
}

bool CScanner::HasPendingStatement() const {
  return !m_tokens.empty() &&
         !(m_tokens.size() == 1 && m_tokens.front().kind == TokenKind::EndOfCommand);
}

void CScanner::BeginLine(std::string_view text, uint32_t line) {
  // Tabs are expanded so that a listing's caret lines up. The command-line
  // update is never listed, and its quoted query and value must reach the
  // document as typed.
  if (line == 0 || text.find('\t') == std::string_view::npos) {
    m_text = text;
  } else {
    m_expanded = ExpandTabs(text);
    m_text = m_expanded;
  }
  m_asciiText = IsAscii(m_text);
  m_offset = 0;
  m_column = 0;
  m_line = line;
}

CScanner::Stop CScanner::Scan() {
  while (m_offset < m_text.size()) {
    const HRESULT hr = m_inBlockComment ? ScanBlockComment() : ScanToken();
    if (hr != S_OK) return Stop::Error;
    if (m_statementComplete) {
      m_statementComplete = false;
      return Stop::StatementComplete;
    }
  }
  return Stop::EndOfLine;
}

HRESULT CScanner::Fail(ScriptError error) {
  m_error = error;
  return S_FALSE;
}

void CScanner::MoveTo(size_t offset) {
  const std::string_view passed = m_text.substr(m_offset, offset - m_offset);
  // In ASCII text every byte is a character.
  m_column += m_asciiText ? static_cast<uint32_t>(passed.size()) : CountColumns(passed);
  m_offset = offset;
}

void CScanner::PushToken(TokenKind kind, ScriptValue&& value, bool quoted) {
  // Braces, not emplace_back: clang before 16 cannot build an aggregate from
  // parentheses, and the fuzz build uses clang.
  m_tokens.push_back(Token{kind, quoted, m_line, m_column, std::move(value)});
}

void CScanner::AddToken(TokenKind kind, ScriptValue&& value, bool quoted) {
  PushToken(kind, std::move(value), quoted);
  m_previousKind = kind;
  m_nextWordKind = TokenKind::Word;
}

HRESULT CScanner::ScanToken() {
  switch (Classify(m_text[m_offset])) {
    case CharacterClass::Blank: {
      const size_t end = m_text.find_first_not_of(' ', m_offset);
      MoveTo(end == std::string_view::npos ? m_text.size() : end);
      return S_OK;
    }
    case CharacterClass::Word:
      return ScanWord();
    case CharacterClass::SystemVariable:
      return ScanSystemVariable();
    case CharacterClass::Number:
      return ScanNumber();
    case CharacterClass::Operator:
      return ScanOperator();
    case CharacterClass::FunctionMarker:
      if (m_previousKind == TokenKind::StatementStart) return Fail(ScriptError::CommandMissing);
      // The marker makes the next word a function name; no token of its own.
      m_nextWordKind = TokenKind::FunctionName;
      MoveTo(m_offset + 1);
      return S_OK;
    case CharacterClass::OpenParenthesis:
      return ScanOpenParenthesis();
    case CharacterClass::Separator:
      return ScanSeparator();
    case CharacterClass::CloseParenthesis:
      return ScanCloseParenthesis();
    case CharacterClass::Slash:
      return ScanSlash();
    case CharacterClass::EndOfCommand:
      return ScanEndOfCommand();
  }
  return Fail(ScriptError::UnexpectedToken);
}

HRESULT CScanner::ScanBlockComment() {
  const size_t end = m_text.find("*/", m_offset);
  if (end == std::string_view::npos) {
    MoveTo(m_text.size());
  } else {
    MoveTo(end + 2);
    m_inBlockComment = false;
  }
  return S_OK;
}

HRESULT CScanner::ScanWord() {
  if (m_previousKind == TokenKind::FunctionName) {
    return Fail(ScriptError::OpeningParenthesisMissing);
  }
  if (m_depth >= 1 && m_previousKind != TokenKind::Operator &&
      m_previousKind != TokenKind::OpenParenthesis && m_previousKind != TokenKind::Separator) {
    return Fail(ScriptError::ParameterSeparatorMissing);
  }
  const TokenKind kind = m_nextWordKind;
  size_t end = m_offset;
  if (m_text[m_offset] == '"') {
    // Commands and functions are named by bare words only.
    if (kind != TokenKind::Word) return Fail(ScriptError::UnexpectedToken);
    const size_t close = FindClosingQuote(m_text, m_offset + 1);
    if (close == std::string_view::npos) return Fail(ScriptError::MatchingQuoteMissing);
    AddToken(kind, ScriptValue(Unescape(m_text.substr(m_offset + 1, close - m_offset - 1))), true);
    end = close + 1;
  } else {
    while (end < m_text.size() && IsBareWordCharacter(m_text[end])) ++end;
    AddToken(kind, ScriptValue(std::string(m_text.substr(m_offset, end - m_offset))));
  }
  MoveTo(end);
  if (kind == TokenKind::CommandWord) m_statementLine = m_line;
  return S_OK;
}

HRESULT CScanner::ScanSystemVariable() {
  int32_t index;
  size_t end;
  if (!ReadDigits(m_text, m_offset + 1, &index, &end)) return Fail(ScriptError::UnexpectedToken);
  if (static_cast<size_t>(index) >= m_argumentCount) {
    return Fail(ScriptError::ArgumentOutOfRange);
  }
  AddToken(TokenKind::SystemVariable, ScriptValue(index));
  MoveTo(end);
  return S_OK;
}

HRESULT CScanner::ScanNumber() {
  const size_t start = m_text[m_offset] == '#' ? m_offset + 1 : m_offset;
  int32_t value;
  size_t end;
  if (!ReadDigits(m_text, start, &value, &end)) return Fail(ScriptError::UnexpectedToken);
  AddToken(TokenKind::Number, ScriptValue(value));
  MoveTo(end);
  return S_OK;
}

HRESULT CScanner::ScanOperator() {
  switch (m_previousKind) {
    case TokenKind::Word:
    case TokenKind::SystemVariable:
    case TokenKind::Number:
    case TokenKind::CloseParenthesis:
      break;
    default:
      return Fail(ScriptError::UnexpectedToken);
  }
  // An operator leaves the next word's kind alone: "@" still applies after it.
  PushToken(TokenKind::Operator, ScriptValue(static_cast<int32_t>(OperatorOf(m_text[m_offset]))));
  m_previousKind = TokenKind::Operator;
  MoveTo(m_offset + 1);
  return S_OK;
}

HRESULT CScanner::ScanOpenParenthesis() {
  // Parentheses only enclose function arguments; they never group.
  if (m_previousKind != TokenKind::FunctionName) return Fail(ScriptError::UnexpectedToken);
  AddToken(TokenKind::OpenParenthesis, ScriptValue());
  ++m_depth;
  MoveTo(m_offset + 1);
  return S_OK;
}

HRESULT CScanner::ScanSeparator() {
  if (m_previousKind == TokenKind::FunctionName) {
    return Fail(ScriptError::OpeningParenthesisMissing);
  }
  if (m_previousKind == TokenKind::Operator || m_depth <= 0) {
    return Fail(ScriptError::UnexpectedToken);
  }
  if (m_previousKind == TokenKind::OpenParenthesis || m_previousKind == TokenKind::Separator) {
    AddToken(TokenKind::Word, ScriptValue(std::string()));  // the omitted argument
  }
  AddToken(TokenKind::Separator, ScriptValue());
  MoveTo(m_offset + 1);
  return S_OK;
}

HRESULT CScanner::ScanCloseParenthesis() {
  if (m_previousKind == TokenKind::Operator) return Fail(ScriptError::UnexpectedToken);
  if (m_previousKind == TokenKind::Separator) {
    AddToken(TokenKind::Word, ScriptValue(std::string()));  // the omitted last argument
  }
  AddToken(TokenKind::CloseParenthesis, ScriptValue());
  // A stray ")" takes the depth below 0; the executor refuses the token.
  --m_depth;
  MoveTo(m_offset + 1);
  return S_OK;
}

HRESULT CScanner::ScanSlash() {
  const bool has_next = m_offset + 1 < m_text.size();
  if (has_next && m_text[m_offset + 1] == '*') {
    // Searched from the slash itself, so "/*/" is a whole comment.
    const size_t end = m_text.find("*/", m_offset);
    if (end == std::string_view::npos) {
      m_inBlockComment = true;
      MoveTo(m_text.size());
    } else {
      MoveTo(end + 2);
    }
    return S_OK;
  }
  if (has_next && m_text[m_offset + 1] == '/') {
    MoveTo(m_text.size());
    return S_OK;
  }
  return ScanOperator();
}

HRESULT CScanner::ScanEndOfCommand() {
  if (m_previousKind == TokenKind::FunctionName) {
    return Fail(ScriptError::OpeningParenthesisMissing);
  }
  if (m_previousKind == TokenKind::Operator) return Fail(ScriptError::UnexpectedToken);
  if (m_depth > 0) return Fail(ScriptError::ClosingParenthesisMissing);
  PushToken(TokenKind::EndOfCommand, ScriptValue());
  m_statementComplete = true;
  MoveTo(m_offset + 1);
  return S_OK;
}
