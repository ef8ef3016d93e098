#include "script/expressions.h"

#include <limits>

#include "script/function_table.h"
#include "script/parser.h"

namespace {

// Deeper nesting than this fails instead of exhausting the stack: each call
// evaluates its arguments by recursion.
constexpr uint32_t kMaxCallDepth = 1000;

// A call's arguments run to its ")"; the first token of an argument is
// found from the "(".
constexpr CallSyntax kFunctionSyntax{
    TokenKind::Word | TokenKind::SystemVariable | TokenKind::Number | TokenKind::Operator |
        TokenKind::FunctionName | TokenKind::Separator,
    TokenKind::CloseParenthesis,
    ScriptError::NotEnoughFunctionParameters,
    ScriptError::TooManyFunctionParameters,
    ScriptError::FunctionFailed,
    FindArgumentToken,
};

int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }

// Counts the calls being evaluated for as long as it lives.
class CallDepthGuard {
 public:
  explicit CallDepthGuard(uint32_t* depth) : m_depth(depth) { ++*m_depth; }
  ~CallDepthGuard() { --*m_depth; }
  CallDepthGuard(const CallDepthGuard&) = delete;
  CallDepthGuard& operator=(const CallDepthGuard&) = delete;

 private:
  uint32_t* m_depth;
};

}  // namespace

bool IsOperatorAccepted(const ParameterDescriptor* last, Operator op) {
  if (last == nullptr) return false;
  if (last->kind != ParameterKind::Value) return op == Operator::Assign;
  return op != Operator::Assign;
}

int32_t WrappingAdd(int32_t a, int32_t b) {
  return Wrap(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

HRESULT ApplyOperator(Operator op, ScriptValue* left, const ScriptValue& right) {
  if (left->IsInteger() && right.IsInteger()) {
    const int32_t a = left->Integer();
    const int32_t b = right.Integer();
    const auto ua = static_cast<uint32_t>(a);
    const auto ub = static_cast<uint32_t>(b);
    switch (op) {
      case Operator::Add:
        *left = ScriptValue(WrappingAdd(a, b));
        return S_OK;
      case Operator::Subtract:
        *left = ScriptValue(Wrap(ua - ub));
        return S_OK;
      case Operator::Multiply:
        *left = ScriptValue(Wrap(ua * ub));
        return S_OK;
      case Operator::Divide:
        if (b == 0) return E_ZERO_DIVIDE;
        // The one quotient that does not fit wraps like the other results.
        if (a == std::numeric_limits<int32_t>::min() && b == -1) return S_OK;
        *left = ScriptValue(a / b);
        return S_OK;
      default:
        return E_INVALIDARG;
    }
  }
  if (left->IsString() && right.IsString() && op == Operator::Add) {
    left->Append(right.String());
    return S_OK;
  }
  return E_INVALIDARG;
}

HRESULT CParser::AcceptOperator(CParameterInfo& parameters, Operator op) {
  if (!IsOperatorAccepted(parameters.GetLastDescriptor(), op)) {
    parameters.SetPendingOperator(Operator::None);
    return Fail(ScriptError::UnexpectedToken);
  }
  parameters.SetPendingOperator(op);
  return S_OK;
}

HRESULT CParser::CallFunction(std::string_view name, std::string* result) {
  const FunctionRow* row = FindFunction(name);
  if (row == nullptr) return Fail(ScriptError::UnknownFunction);
  const CallDepthGuard guard(&m_callDepth);
  if (m_callDepth > kMaxCallDepth) {
    Fail(ScriptError::SystemError);
    return SCRIPT_E_NESTING_TOO_DEEP;
  }

  // The name was the last token read: the cursor, 0-based, is at the "(",
  // and 1-based at the name.
  const size_t open_parenthesis = m_cursor;
  if (ReadToken(static_cast<TokenKindSet>(TokenKind::OpenParenthesis)) == nullptr) return S_FALSE;
  CFunction function(*row);
  CParameterInfo arguments(&m_variables);
  const HRESULT hr =
      BindAndCall(function, kFunctionSyntax, arguments, open_parenthesis, open_parenthesis);
  if (hr == S_OK) *result = std::move(*function.MutableResult());
  return hr;
}
