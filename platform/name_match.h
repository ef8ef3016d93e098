// The one rule by which a name typed by a user is found in a table of
// names: options, display levels and output modes on the command line, and
// commands, qualifiers and functions in scripts. The text typed is a prefix
// of the table name, ignoring the case of the ASCII letters, and the first
// such row in table order wins.
#pragma once

#include <span>
#include <string_view>

// Whether text is a prefix of name, ASCII letters compared without case. An
// empty text matches every name; a text longer than the name matches none.
bool MatchesNamePrefix(std::string_view text, std::string_view name);

// The first row whose name text matches, or null.
template <typename Row>
const Row* FindByNamePrefix(std::span<const Row> rows, std::string_view text) {
  for (const Row& row : rows) {
    if (MatchesNamePrefix(text, row.name)) return &row;
  }
  return nullptr;
}
