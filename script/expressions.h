// The operators of the description language. There is no precedence and no
// grouping: each operator combines the value built so far with the next
// operand, strictly from left to right.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "script/parameter_info.h"
#include "script/script_value.h"
#include "script/token.h"

// Whether op may stand after a value that matched last (null: no value has
// matched a descriptor yet). After a variable name only "=" is legal, after
// a value only the four arithmetic operators.
bool IsOperatorAccepted(const ParameterDescriptor* last, Operator op);

// a + b modulo 2^32, as two's complement: never traps.
int32_t WrappingAdd(int32_t a, int32_t b);

// Combines *left with right by op (Add, Subtract, Multiply or Divide) into
// *left. Integers wrap at 32 bits and never trap; strings only concatenate.
// Returns S_OK; E_INVALIDARG for operands of different or unsuitable types;
// E_ZERO_DIVIDE for a division by zero, leaving *left unchanged.
HRESULT ApplyOperator(Operator op, ScriptValue* left, const ScriptValue& right);
