#include "script/script_value.h"

ValueType ScriptValue::Type() const {
  if (IsInteger()) return ValueType::Integer;
  if (IsString()) return ValueType::String;
  return ValueType::Empty;
}
