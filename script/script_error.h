// The script errors: the codes that a failed run leaves in the engine, each
// with one message (see error_report.cpp). 0 means no script error. Codes
// 6, 7 and 13 stay free: no rule of the language could raise the errors
// they once named, and every other code keeps its number.
#pragma once

#include <cstdint>

enum class ScriptError : uint32_t {
  None = 0,
  CommandFailed = 1,
  FunctionFailed = 2,
  UnexpectedToken = 3,
  UnexpectedEndOfFile = 4,
  CommandMissing = 5,
  OpeningParenthesisMissing = 8,
  ParameterSeparatorMissing = 9,
  ClosingParenthesisMissing = 10,
  TokenMissing = 11,
  MatchingQuoteMissing = 12,
  UnknownCommand = 14,
  UnknownQualifier = 15,
  UnknownFunction = 16,
  UnknownVariable = 17,
  NotEnoughFunctionParameters = 18,
  TooManyFunctionParameters = 19,
  NotEnoughCommandParameters = 20,
  TooManyCommandParameters = 21,
  SystemError = 22,
  ArgumentOutOfRange = 23,
  InvalidParameterType = 24,
  DivisionByZero = 25,
  NothingMatched = 26,
  InvalidName = 27,
  UndeclaredPrefix = 28,
};
