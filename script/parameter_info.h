// CParameterInfo is the parameter list of one command or function call: the
// handler declares its parameters through it, the executor binds values to
// them (resolving bare words as variables and checking types), and the
// handler reads the values back and stores variables through it.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "script/script_value.h"
#include "script/token.h"

enum class ParameterKind : uint32_t {
  Value = 0,             // an ordinary value
  Name = 1,              // the name of a variable the command creates or overwrites
  ExistingVariable = 2,  // the name of a variable that must already be defined
};

// One declared parameter. type is String or Any.
struct ParameterDescriptor {
  ValueType type;
  ParameterKind kind;
};

// The parameters that descriptor tables are made of, and the lists of them
// that commands and functions share.
inline constexpr ParameterDescriptor kString{ValueType::String, ParameterKind::Value};
inline constexpr ParameterDescriptor kAny{ValueType::Any, ParameterKind::Value};
inline constexpr ParameterDescriptor kNewName{ValueType::String, ParameterKind::Name};
inline constexpr ParameterDescriptor kExistingName{ValueType::String,
                                                   ParameterKind::ExistingVariable};
inline constexpr ParameterDescriptor kOneString[] = {kString};
inline constexpr ParameterDescriptor kTwoStrings[] = {kString, kString};

class CParameterInfo {
 public:
  // variables: the engine's table, which must outlive this object.
  explicit CParameterInfo(VariableTable* variables) : m_variables(variables) {}
  CParameterInfo(const CParameterInfo&) = delete;
  CParameterInfo& operator=(const CParameterInfo&) = delete;

  // Stores the descriptor table (which must outlive this object) and empties
  // the value list.
  void Declare(std::span<const ParameterDescriptor> descriptors);
  bool IsDeclared() const { return m_declared; }
  size_t GetExpectedCount() const { return m_descriptors.size(); }

  size_t GetCount() const { return m_values.size(); }
  // REQUIRES: index < GetCount().
  const ScriptValue& GetValue(size_t index) const { return m_values[index]; }
  // A view of the string value at index, valid while this object lives.
  // E_INVALIDARG when there is no such value or it is no string (*text is
  // then unchanged).
  HRESULT GetString(size_t index, std::string_view* text) const;
  // GetString for the parameters first, first + 1, ... into each of texts in
  // turn; the first failure is returned.
  HRESULT GetStrings(std::initializer_list<std::string_view*> texts, size_t first = 0) const;

  // Creates the variable or replaces its value (and type).
  void SetVariable(std::string_view name, ScriptValue value);
  // The variable's value, or null when it is not defined.
  const ScriptValue* FindVariable(std::string_view name) const;

  // Binds the next value. bare: the value is a bare word's text, which a
  // value parameter replaces by the variable of that name when there is one.
  // A pending arithmetic operator combines the value with the last one.
  // Returns S_OK; E_FAIL when an existing-variable parameter names no
  // variable; E_INVALIDARG for a value of the wrong type or form, or
  // operands that do not combine; E_ZERO_DIVIDE for a division by zero.
  // Values beyond the declared count are appended unchecked.
  HRESULT AddValue(ScriptValue value, bool bare);
  // AddValue of a string that is never looked up (system variables, results).
  HRESULT AddString(std::string text) { return AddValue(ScriptValue(std::move(text)), false); }

  // The descriptor the last bound value matched; null before any matched.
  const ParameterDescriptor* GetLastDescriptor() const { return m_lastDescriptor; }
  // The operator that the next bound value consumes (Operator::None: none).
  void SetPendingOperator(Operator pending) { m_pending = pending; }

  void Clear() { m_values.clear(); }
  // Makes the list as new (undeclared, empty, no pending operator) while
  // keeping its storage.
  void Reset();

 private:
  std::span<const ParameterDescriptor> m_descriptors;
  const ParameterDescriptor* m_lastDescriptor = nullptr;  // points into m_descriptors
  std::vector<ScriptValue> m_values;
  VariableTable* m_variables;
  Operator m_pending = Operator::None;
  bool m_declared = false;
};
