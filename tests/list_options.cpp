// Prints the names of brindle's options, one a line, in the order that the
// program matches a typed name against them: the option table itself, for
// the checks of the manual page (doc/check-manpage.sh) and of the bash
// completion (completion/test-completion.sh), so that neither keeps a list
// of its own. A test tool: it is built with the program, never installed.
#include <cstdio>

#include "app/app_console.h"

int main() {
  const CConsole console;
  for (const NamedValue& option : console.GetOptionTable()) std::printf("%s\n", option.name);
  return 0;
}
