// The running program's own file.
#pragma once

#include <string>

// The full path of the running executable; empty when it cannot be read.
std::string GetProgramPath();

// The executable's file name without its extension, lower-cased: the name
// that usage texts show.
std::string GetProgramName();
