#include "platform/program_path.h"

#include "platform/ascii_case.h"
#include "platform/path.h"

std::string GetProgramName() {
  std::string name = GetProgramPath();
  name.erase(0, FileNameOffset(name));
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return LowerCaseAscii(name);
}
