#include "script/script_value.h"

void ScriptValue::Share() {
  auto buffer = std::make_shared<std::string>(std::move(std::get<std::string>(m_value)));
  const size_t length = buffer->size();
  m_value = SharedText{std::move(buffer), length};
}

ValueType ScriptValue::Type() const {
  if (IsInteger()) return ValueType::Integer;
  if (IsString()) return ValueType::String;
  return ValueType::Empty;
}

void ScriptValue::Append(std::string_view text) {
  auto* shared = std::get_if<SharedText>(&m_value);
  if (shared == nullptr && std::get<std::string>(m_value).size() + text.size() <= kLongText) {
    std::get<std::string>(m_value).append(text);
    return;
  }
  if (shared != nullptr && shared->length == shared->buffer->size() &&
      shared->buffer->capacity() - shared->length >= text.size()) {
    // Within the capacity the buffer stays where it is, and the bytes
    // appended lie beyond every other holder's text.
    shared->buffer->append(text);
    shared->length += text.size();
    return;
  }
  // A buffer of its own with room to grow: a run of appends to this value
  // costs amortised linear time. The old text stays alive until copied,
  // since text may show it.
  const std::string_view current = String();
  auto buffer = std::make_shared<std::string>();
  buffer->reserve(2 * (current.size() + text.size()));
  buffer->append(current);
  buffer->append(text);
  const size_t length = buffer->size();
  m_value = SharedText{std::move(buffer), length};
}

bool ScriptValue::operator==(const ScriptValue& other) const {
  if (Type() != other.Type()) return false;
  if (IsInteger()) return Integer() == other.Integer();
  return !IsString() || String() == other.String();
}
