// The statement executor: it reads the token list of one completed
// statement, finds the command form by its words, binds the parameters and
// calls the handler, and turns every failure into an error code and a
// failing token for the report.
#include <span>

#include "platform/name_match.h"
#include "script/command_set.h"
#include "script/function_table.h"
#include "script/parser.h"

namespace {

// A command or qualifier word.
struct WordRow {
  std::string_view name;
  StatementId identifier;
};

// Matched by prefix in this order; new words go last, so that every
// abbreviation keeps the word it stood for.
constexpr WordRow kCommands[] = {
    {"add", kAdd},
    {"get", kGet},
    {"remove", kRemove},
    {"select", kSelect},
    {"set", kSet},
    {"load", kLoad},
    {"clear", kClear},
    {"var", kVar},
    {"increment", kIncrement},
    {"decrement", kDecrement},
    {"rename", kRename},
    {"move", kMove},
    {"print", kPrint},
};

// Matched by prefix in this order: "c" is cdatasection, "n" next; new words
// go last.
constexpr WordRow kQualifiers[] = {
    {"attribute", kAttribute}, {"cdatasection", kCDataSection},
    {"child", kChild},         {"comment", kComment},
    {"document", kDocument},   {"element", kElement},
    {"next", kNext},           {"node", kNode},
    {"parent", kParent},       {"previous", kPrevious},
    {"property", kProperty},   {"root", kRoot},
    {"text", kText},           {"nodes", kNodes},
    {"before", kBefore},       {"after", kAfter},
};

// A command's parameters run to the ";"; the first token of the parameter
// that a handler refused is found from the first parameter token.
constexpr CallSyntax kCommandSyntax{
    TokenKind::Word | TokenKind::SystemVariable | TokenKind::Number | TokenKind::Operator |
        TokenKind::FunctionName,
    TokenKind::EndOfCommand,
    ScriptError::NotEnoughCommandParameters,
    ScriptError::TooManyCommandParameters,
    ScriptError::CommandFailed,
    FindParameterToken,
};

const WordRow* FindCommand(std::string_view text) {
  return FindByNamePrefix(std::span<const WordRow>(kCommands), text);
}

const WordRow* FindQualifier(std::string_view text) {
  return FindByNamePrefix(std::span<const WordRow>(kQualifiers), text);
}

StatementId IdentifierOf(const WordRow* row) { return row != nullptr ? row->identifier : 0; }

// The script error for a value that could not be bound.
ScriptError BindingError(HRESULT hr) {
  if (hr == E_FAIL) return ScriptError::UnknownVariable;
  if (hr == E_ZERO_DIVIDE) return ScriptError::DivisionByZero;
  return ScriptError::InvalidParameterType;
}

}  // namespace

StatementId FindCommandWord(std::string_view text) { return IdentifierOf(FindCommand(text)); }

StatementId FindQualifierWord(std::string_view text) { return IdentifierOf(FindQualifier(text)); }

Token* CParser::ReadToken(TokenKindSet kinds) {
  std::vector<Token>& tokens = m_scanner.Tokens();
  if (m_cursor >= tokens.size()) {
    Fail(ScriptError::TokenMissing);
    return nullptr;
  }
  Token* token = &tokens[m_cursor++];
  if (!Contains(kinds, token->kind)) {
    Fail(ScriptError::UnexpectedToken);
    return nullptr;
  }
  return token;
}

HRESULT CParser::ReadQualifier(StatementId* statement) {
  const Token* word = ReadToken(static_cast<TokenKindSet>(TokenKind::Word));
  if (word == nullptr) return S_FALSE;
  const WordRow* qualifier = FindQualifier(word->value.String());
  if (qualifier == nullptr) return Fail(ScriptError::UnknownQualifier);
  *statement |= qualifier->identifier;
  return S_OK;
}

HRESULT CParser::ExecuteStatement() {
  m_executing = true;
  m_cursor = 0;

  const Token* command_word = ReadToken(static_cast<TokenKindSet>(TokenKind::CommandWord));
  if (command_word == nullptr) return S_FALSE;
  const WordRow* command = FindCommand(command_word->value.String());
  if (command == nullptr) return Fail(ScriptError::UnknownCommand);

  StatementId statement = command->identifier;
  const bool takes_qualifier = statement < kFirstPlainCommand;
  if (takes_qualifier) {
    HRESULT hr = ReadQualifier(&statement);
    // "add child", "add before" and "add after" take a second qualifier.
    if (hr == S_OK && (statement == (kAdd | kChild) || statement == (kAdd | kBefore) ||
                       statement == (kAdd | kAfter))) {
      hr = ReadQualifier(&statement);
    }
    if (hr != S_OK) return hr;
  }
  const CommandForm* form = FindCommandForm(statement);
  if (form == nullptr) {
    return Fail(takes_qualifier ? ScriptError::UnknownQualifier : ScriptError::UnknownCommand);
  }

  CCommandSet command_set(*form, &m_document, &m_output);
  m_statementParameters.Reset();
  // The command word is the statement's first token.
  const HRESULT hr = BindAndCall(command_set, kCommandSyntax, m_statementParameters, 1, m_cursor);
  if (hr == S_OK) ++m_executedCount;
  return hr;
}

template <typename Callee>
HRESULT CParser::BindAndCall(Callee& callee, const CallSyntax& syntax, CParameterInfo& parameters,
                             size_t name, size_t first) {
  HRESULT hr = callee.Call(parameters);  // declares
  if (hr == S_OK) hr = EvaluateParameters(syntax.allowed, syntax.terminator, parameters);
  if (hr != S_OK) return hr;
  if (parameters.GetCount() < parameters.GetExpectedCount()) return Fail(syntax.too_few);
  if (parameters.GetCount() > parameters.GetExpectedCount()) return Fail(syntax.too_many);

  hr = callee.Call(parameters);
  if (hr == S_FALSE) {
    m_cursor = name;
    return Fail(syntax.not_applied);
  }
  if (SUCCEEDED(hr)) return S_OK;
  m_cursor = syntax.locate(m_scanner.Tokens(), callee.GetBadParameter(), first);
  if (hr == E_INVALIDARG) return Fail(ScriptError::InvalidParameterType);
  if (hr == XML_E_INVALID_NAME) return Fail(ScriptError::InvalidName);
  if (hr == XML_E_UNDECLARED_NAME_PREFIX) return Fail(ScriptError::UndeclaredPrefix);
  if (hr == SCRIPT_E_NOTHING_MATCHED) return Fail(ScriptError::NothingMatched);
  Fail(ScriptError::SystemError);
  return hr;
}

template HRESULT CParser::BindAndCall(CCommandSet&, const CallSyntax&, CParameterInfo&, size_t,
                                      size_t);
template HRESULT CParser::BindAndCall(CFunction&, const CallSyntax&, CParameterInfo&, size_t,
                                      size_t);

HRESULT CParser::EvaluateParameters(TokenKindSet allowed, TokenKind terminator,
                                    CParameterInfo& parameters) {
  parameters.Clear();
  for (;;) {
    Token* token = ReadToken(allowed | terminator);
    if (token == nullptr) return S_FALSE;
    if (token->kind == terminator) return S_OK;
    HRESULT hr = S_OK;
    switch (token->kind) {
      case TokenKind::Word:
        // Nothing reads a token's text after it was bound, so it is taken.
        hr = parameters.AddValue(std::move(token->value), !token->quoted);
        break;
      case TokenKind::Number:
        hr = parameters.AddValue(token->value, false);
        break;
      case TokenKind::SystemVariable:
        hr = parameters.AddString(m_arguments[static_cast<size_t>(token->value.Integer())]);
        break;
      case TokenKind::Operator: {
        const HRESULT accepted =
            AcceptOperator(parameters, static_cast<Operator>(token->value.Integer()));
        if (accepted != S_OK) return accepted;
        break;
      }
      case TokenKind::FunctionName: {
        std::string result;
        const HRESULT called = CallFunction(token->value.String(), &result);
        if (called != S_OK) return called;
        hr = parameters.AddString(std::move(result));
        break;
      }
      default:  // a separator: an omitted argument is a word token of its own
        break;
    }
    if (FAILED(hr)) return Fail(BindingError(hr));
  }
}
