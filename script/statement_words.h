// The identifiers of the words of a statement. A statement is identified by
// its command's identifier ORed with those of its qualifiers, so
// "add child text" is kAdd | kChild | kText: the word tables (executor.cpp)
// and the dispatch table (command_set.cpp) are written with these names.
#pragma once

#include <cstdint>
#include <string_view>

using StatementId = uint32_t;

// Commands. Those below kFirstPlainCommand take a qualifier.
constexpr StatementId kAdd = 0x100000;
constexpr StatementId kGet = 0x200000;
constexpr StatementId kRemove = 0x300000;
constexpr StatementId kSelect = 0x400000;
constexpr StatementId kSet = 0x500000;
constexpr StatementId kRename = 0x600000;
constexpr StatementId kMove = 0x700000;
constexpr StatementId kLoad = 0x1000000;
constexpr StatementId kClear = 0x2000000;
constexpr StatementId kVar = 0x3000000;
constexpr StatementId kIncrement = 0x4000000;
constexpr StatementId kDecrement = 0x5000000;
constexpr StatementId kPrint = 0x6000000;
constexpr StatementId kFirstPlainCommand = kLoad;

// Qualifiers. "child", "before" and "after" are bits of their own (the
// placements), so that add child, add before and add after combine with a
// second qualifier.
constexpr StatementId kAttribute = 0x1;
constexpr StatementId kCDataSection = 0x2;
constexpr StatementId kDocument = 0x3;
constexpr StatementId kComment = 0x4;
constexpr StatementId kElement = 0x5;
constexpr StatementId kNext = 0x6;
constexpr StatementId kNode = 0x7;
constexpr StatementId kParent = 0x8;
constexpr StatementId kPrevious = 0x9;
constexpr StatementId kProperty = 0xA;
constexpr StatementId kRoot = 0xB;
constexpr StatementId kText = 0xC;
constexpr StatementId kNodes = 0xD;
constexpr StatementId kChild = 0x1000;
constexpr StatementId kBefore = 0x2000;
constexpr StatementId kAfter = 0x4000;

// The identifier of the command (qualifier) word that text abbreviates: the
// first row of its word table that it is a prefix of; 0 when none.
StatementId FindCommandWord(std::string_view text);
StatementId FindQualifierWord(std::string_view text);
