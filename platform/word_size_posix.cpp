#include <sys/utsname.h>

#include <cstring>

#include "platform/word_size.h"

bool IsNarrowProcessOnWideSystem() {
  if constexpr (sizeof(void*) == 8) {
    return false;
  } else {
    // The kernel's machine name says 64 where the program's pointers are
    // 32 bits wide.
    utsname name;
    return uname(&name) == 0 && std::strstr(name.machine, "64") != nullptr;
  }
}
