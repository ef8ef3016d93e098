// The locators that place an error on one parameter of a command or one
// argument of a function call, given the statement's tokens.
#pragma once

#include <cstddef>
#include <span>

#include "script/token.h"

// The 1-based index of the first token of parameter number parameter
// (0-based) among the tokens from index first (0-based) to the end of the
// statement, or 0 when the statement ends first. The right operand of an
// arithmetic operator belongs to the parameter before it, and the arguments
// of a function call to the parameter of the call.
size_t FindParameterToken(std::span<const Token> tokens, size_t parameter, size_t first);

// The 1-based index of the first token of argument number argument
// (0-based) of the function call whose "(" is tokens[first], or 0 when the
// call has no such argument. Tokens of nested calls are passed over.
size_t FindArgumentToken(std::span<const Token> tokens, size_t argument, size_t first);
