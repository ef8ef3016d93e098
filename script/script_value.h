// The two kinds of data a description script has, 32-bit signed integers and
// UTF-8 strings, and the table of named variables that keeps them across
// statements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>

// The type codes of values and of parameter descriptors. The numbers are the
// ones descriptor tables have always used; Any appears only in descriptors.
enum class ValueType : uint16_t { Empty = 0, Integer = 3, String = 8, Any = 12 };

// A tagged value: empty (only a fresh slot), an integer or a string. Values
// are copied whenever they are stored or read; nothing shares text.
class ScriptValue {
 public:
  ScriptValue() = default;
  explicit ScriptValue(int32_t integer) : m_value(integer) {}
  explicit ScriptValue(std::string text) : m_value(std::move(text)) {}

  ValueType Type() const;
  bool IsInteger() const { return std::holds_alternative<int32_t>(m_value); }
  bool IsString() const { return std::holds_alternative<std::string>(m_value); }
  // REQUIRES: IsInteger().
  int32_t Integer() const { return std::get<int32_t>(m_value); }
  // REQUIRES: IsString().
  const std::string& String() const { return std::get<std::string>(m_value); }
  std::string& String() { return std::get<std::string>(m_value); }

  bool operator==(const ScriptValue&) const = default;

 private:
  std::variant<std::monostate, int32_t, std::string> m_value;
};

// Hashes std::string and std::string_view alike, so that the variable table
// is searched with a view and no temporary string.
struct VariableNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};

// Variables by name; names compare exactly, byte for byte, so "Count" and
// "count" are two variables.
using VariableTable =
    std::unordered_map<std::string, ScriptValue, VariableNameHash, std::equal_to<>>;
