// CParser is the script engine. It hands description text to its scanner
// one line at a time, executes each statement when the scanner has read its
// ";", and keeps what scripts work on: the document, the argument list
// behind the system variables $0, $1, ... and the variables.
// A run stops at the first error; the engine then describes the error (its
// message with the line, and a listing of the failing statement with a
// caret under the failing token) from the state the run left behind.
//
// Text is UTF-8 throughout. Columns count characters (code points) of the
// line after its tabs are expanded, never bytes. Nothing a script does can
// crash or hang the engine; running out of memory ends a run with
// E_OUTOFMEMORY.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "script/command_set.h"
#include "script/parameter_info.h"
#include "script/scanner.h"
#include "script/script_error.h"
#include "script/script_value.h"
#include "script/statement_words.h"
#include "script/token.h"
#include "xml/xml_file.h"

// What differs between binding the parameters of a command and the
// arguments of a function call.
struct CallSyntax {
  TokenKindSet allowed;     // the kinds of token a value may be made of
  TokenKind terminator;     // the token that ends the list
  ScriptError too_few;      // fewer values than declared
  ScriptError too_many;     // more values than declared
  ScriptError not_applied;  // the callee returned S_FALSE
  // Finds the first token of value number index from the token first.
  size_t (*locate)(std::span<const Token> tokens, size_t index, size_t first);
};

class CParser {
 public:
  CParser();
  virtual ~CParser();
  CParser(const CParser&) = delete;
  CParser& operator=(const CParser&) = delete;

  // Fills the argument list: arguments[0] (the program) and every following
  // argument up to, not including, the first one that is_option takes for an
  // option. Arguments are decoded as UTF-8 when valid, else as Latin-1.
  // Returns S_OK, or E_OUTOFMEMORY when the list cannot grow.
  HRESULT SetArguments(int count, const char* const* arguments,
                       const std::function<bool(std::string_view)>& is_option);

  CXmlFile& GetDocument() { return m_document; }

  // Where the print command writes; nowhere until set.
  void SetOutput(OutputSink output) { m_output = std::move(output); }

  // Runs the description file at path: UTF-8 or UTF-16LE by its byte order
  // mark, else UTF-8 when the whole file is valid UTF-8, else Latin-1.
  // Returns S_OK when every statement executed; S_FALSE after a script error
  // (GetErrorMessage tells which); or a failure status: the file's (it could
  // not be opened or read, or has a UTF-16 big-endian mark), or the one a
  // command or function failed with.
  HRESULT RunDescriptionFile(const std::string& path);

  // What a command-line run does with the nodes its query selects.
  enum class QueryAction {
    SetFirst,  // `select node "<query>"; set node "<value>";`
    SetEvery,  // `set nodes "<query>" "<value>";`
    GetFirst,  // `get child "<query>" text; print text;`
    GetEvery,  // `get nodes "<query>" text; print text;`
  };

  // Runs the query (an XPath expression; one leading "?" is dropped) and
  // the value as the statements of action, both pasted into them as quoted
  // strings, so the string escapes apply (a Get action has no value); a
  // line that scans as anything but exactly those statements is refused
  // before anything runs (S_FALSE, the document untouched). Returns S_OK,
  // S_FALSE after a script error, or a failure status.
  HRESULT RunCommandLine(std::string_view query, std::string_view value,
                         QueryAction action = QueryAction::SetFirst);

  // Commands executed successfully by the last run.
  uint32_t GetExecutedCount() const { return m_executedCount; }

  // The error text of the last failed run: the error's message with
  // " in line N." for a description file, or "System error." when the run
  // failed without a script error.
  void GetErrorMessage(std::string* text) const;

  // The listing of the description file around the last error: from the
  // failing statement's first line (at most five lines above the error) to
  // the error line, numbered, with a caret under the failing column, between
  // two rules. Returns S_OK when the error line was listed, S_FALSE with an
  // empty text when there is nothing to list (a command-line update, or a
  // failure before the first line).
  HRESULT GetErrorListing(std::string* text) const;

  // The value of a variable as the last run left it; null when undefined.
  const ScriptValue* FindVariable(std::string_view name) const;

 private:
  // The listing starts no more than this many lines above the error line.
  static constexpr uint32_t kListedLinesAbove = 5;
  struct ErrorPosition {
    uint32_t line;
    uint32_t column;
  };

  // The run (parser.cpp).
  void BeginRun();
  void ResetStatement();
  // Scans the line and executes each statement as its ";" is read. The
  // caller sets m_lineNumber first. Returns S_OK when the line is done,
  // S_FALSE after a script error, or the failure status a command or
  // function returned.
  HRESULT RunLine(std::string_view text) { return ScanLine(text, nullptr); }
  // With kept null, RunLine. Otherwise nothing is executed: the tokens of
  // each completed statement are appended to *kept, so that a whole line
  // can be checked before anything in it runs.
  HRESULT ScanLine(std::string_view text, std::vector<Token>* kept);
  HRESULT CompleteStatement(std::vector<Token>* kept);
  // Sets the error code; returns S_FALSE, the result of a script error.
  HRESULT Fail(ScriptError error);

  // Executor (executor.cpp).
  HRESULT ExecuteStatement();
  // Binds the tokens from the cursor up to the terminator (included) to
  // parameters. Returns S_OK, S_FALSE after a script error, or the failure
  // status of a function call.
  HRESULT EvaluateParameters(TokenKindSet allowed, TokenKind terminator,
                             CParameterInfo& parameters);
  // The token at the cursor, which advances; null after setting "Token
  // missing" or, for a kind not in kinds, "Unexpected token".
  Token* ReadToken(TokenKindSet kinds);
  // Reads a qualifier word and ORs its identifier into *statement.
  HRESULT ReadQualifier(StatementId* statement);
  // The two-call protocol of commands (CCommandSet) and functions
  // (CFunction): lets the callee declare its parameters, binds the tokens
  // from the cursor up to syntax.terminator to them, checks their number and
  // calls the callee. Returns S_OK after a successful call; S_FALSE after a
  // script error; or a failure status, the callee's or that of a function
  // called among the values. The error falls on the callee's name, token
  // number name (1-based), when the callee did not apply, and on the first
  // token of the value it refused, found by syntax.locate from token first,
  // when it failed.
  template <typename Callee>
  HRESULT BindAndCall(Callee& callee, const CallSyntax& syntax, CParameterInfo& parameters,
                      size_t name, size_t first);

  // Expressions (expressions.cpp).
  HRESULT AcceptOperator(CParameterInfo& parameters, Operator op);
  // Calls the function whose name token was just read; on S_OK *result is
  // its value. Else S_FALSE after a script error, or a failure status.
  HRESULT CallFunction(std::string_view name, std::string* result);

  // Error report (error_report.cpp).
  ErrorPosition FindErrorPosition() const;

  // Description file (description_file.cpp): keeps a line read for the
  // listing, dropping those no listing can show any more.
  void RememberLine(std::string line);

  CScanner m_scanner;  // holds the statement being read or executed
  // The executor is at work on the scanner's statement, or stopped in it.
  bool m_executing = false;
  uint32_t m_executedCount = 0;
  ScriptError m_errorCode = ScriptError::None;
  // The number of tokens the executor has read; after an execution error,
  // the 1-based index of the failing token (0 or past the end: the last).
  size_t m_cursor = 0;
  uint32_t m_callDepth = 0;  // function calls being evaluated, nested

  std::string m_descriptionPath;  // empty for the command-line update
  uint32_t m_lineNumber = 0;      // 1-based; 0 for the command-line update
  // The latest lines of the description file, as read: every line of the
  // pending statement and the five before, the error listing's source.
  std::deque<std::string> m_recentLines;
  uint32_t m_firstRecentLine = 1;  // line number of m_recentLines.front()

  CXmlFile m_document;
  OutputSink m_output;
  std::vector<std::string> m_arguments;
  VariableTable m_variables;
  // The parameter list of the statement being executed, kept so that its
  // storage serves every statement.
  CParameterInfo m_statementParameters{&m_variables};
};
