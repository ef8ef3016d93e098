// The twelve functions that scripts call with "@Name(arguments)", found by
// name prefix, and CFunction, one call of one of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "script/parameter_info.h"

struct FunctionRow;

// The first function whose name begins with name (ASCII letters without
// case), or null: "Low" finds LowerCase, "Last" LastWriteTime.
const FunctionRow* FindFunction(std::string_view name);

class CFunction {
 public:
  explicit CFunction(const FunctionRow& function) : m_function(&function) {}

  // The two-call protocol: on an undeclared parameter list, declares the
  // function's parameters and returns S_OK; otherwise computes the result
  // from the bound values and returns S_OK, E_INVALIDARG for an argument it
  // cannot use (GetBadParameter() tells which), or another failure status.
  HRESULT Call(CParameterInfo& parameters);

  // 0-based index of the argument a failure is about; 0 unless the function
  // named another, which it does for E_INVALIDARG alone.
  size_t GetBadParameter() const { return m_badParameter; }
  void SetBadParameter(size_t index) { m_badParameter = index; }

  // The result, which the function writes and the caller takes.
  std::string* MutableResult() { return &m_result; }

 private:
  size_t m_badParameter = 0;
  const FunctionRow* m_function;
  std::string m_result;
};
