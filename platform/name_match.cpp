#include "platform/name_match.h"

#include "platform/ascii_case.h"

bool MatchesNamePrefix(std::string_view text, std::string_view name) {
  return text.size() <= name.size() && EqualsIgnoringAsciiCase(text, name.substr(0, text.size()));
}
