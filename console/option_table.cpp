#include "console/option_table.h"

#include "platform/name_match.h"

int FindOption(std::string_view text, std::span<const NamedValue> table) {
  const NamedValue* found = FindByNamePrefix(table, text);
  return found == nullptr ? -1 : static_cast<int>(found - table.data());
}
