#include <string>
#include <vector>

#include "app/driver.h"
#include "platform/text_encoding.h"

// The command line arrives in UTF-16, whatever the code pages are, and
// becomes UTF-8 here, once: everything after this works in UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(WideToUtf8(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return RunProgram(argc, pointers.data());
}
