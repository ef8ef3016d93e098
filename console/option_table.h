// Vocabulary tables of the command line: option names, display levels and
// output modes, all searched the same way.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct NamedValue {
  const char* name;
  uint32_t value;  // an option's id, a level's or a mode's value
};

// The index of the entry that text names by the rule of name_match.h, or -1.
// An empty text matches the first entry.
int FindOption(std::string_view text, std::span<const NamedValue> table);

// Option ids: the upper 16 bits name the group, the low 5 bits the option's
// bit within its group's bit set.
constexpr uint32_t kBaseOptionGroup = 1;
constexpr uint32_t kApplicationOptionGroup = 2;
constexpr uint32_t OptionGroup(uint32_t id) { return id >> 16; }
constexpr uint32_t OptionBit(uint32_t id) { return 1u << (id & 0x1F); }
