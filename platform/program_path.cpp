#include "platform/program_path.h"

#include <limits.h>
#include <unistd.h>

#include "platform/ascii_case.h"

std::string GetProgramPath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

std::string GetProgramName() {
  std::string name = GetProgramPath();
  name.erase(0, name.rfind('/') + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return LowerCaseAscii(name);
}
