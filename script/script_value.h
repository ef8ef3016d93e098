// The two kinds of data a description script has, 32-bit signed integers and
// UTF-8 strings, and the table of named variables that keeps them across
// statements.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>

// The type codes of values and of parameter descriptors. The numbers are the
// ones descriptor tables have always used; Any appears only in descriptors.
enum class ValueType : uint16_t { Empty = 0, Integer = 3, String = 8, Any = 12 };

// A tagged value: empty (only a fresh slot), an integer or a string. A value
// never changes in the hands of those that hold a copy of it, and copying
// one costs no more than a few bytes whatever its length: a long text is
// shared, not copied. So a script that keeps extending one string
// (var s = s + "...") runs in time linear in what it appends.
class ScriptValue {
 public:
  ScriptValue() = default;
  explicit ScriptValue(int32_t integer) : m_value(integer) {}
  explicit ScriptValue(std::string text) : m_value(std::move(text)) {
    if (std::get<std::string>(m_value).size() > kLongText) Share();
  }

  ValueType Type() const;
  bool IsInteger() const { return std::holds_alternative<int32_t>(m_value); }
  bool IsString() const { return !IsInteger() && !std::holds_alternative<std::monostate>(m_value); }
  // REQUIRES: IsInteger().
  int32_t Integer() const { return std::get<int32_t>(m_value); }
  // REQUIRES: IsString(). Valid until this value is assigned, moved from or
  // destroyed.
  std::string_view String() const {
    if (const auto* text = std::get_if<std::string>(&m_value)) return *text;
    const auto& shared = std::get<SharedText>(m_value);
    return std::string_view(shared.buffer->data(), shared.length);
  }

  // Appends text to the string; text may be a view of this very value.
  // Costs time linear in the text's length (amortised) when this value
  // ends its shared text, else also in the value's own length.
  // REQUIRES: IsString().
  void Append(std::string_view text);

  bool operator==(const ScriptValue& other) const;

 private:
  // Texts up to this length are held by value: copying them costs no more
  // than sharing them would.
  static constexpr size_t kLongText = 32;

  // A long text: the first length bytes of a buffer that several values
  // may share. The bytes a value shows never change or move: a buffer is
  // only ever extended within its capacity, by a value that ends it.
  struct SharedText {
    std::shared_ptr<std::string> buffer;
    size_t length;
  };

  // Moves a long text held by value into a buffer of its own.
  void Share();

  std::variant<std::monostate, int32_t, std::string, SharedText> m_value;
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
