#include "app/driver.h"

int RunProgram(int, char**) { return 0; }
