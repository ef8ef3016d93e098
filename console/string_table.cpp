#include "console/string_table.h"

namespace {

struct StringResource {
  uint32_t id;
  const char* text;
};

constexpr StringResource kStrings[] = {
    {kStringCrashReport,
     "An unhandled exception has occurred.\n"
     "A crash dump file was created and the application will close.\n"
     "\n"
     "Crash dump filename:\n"
     "%s"},
};

}  // namespace

const char* LoadStringResource(uint32_t id) {
  for (const StringResource& entry : kStrings) {
    if (entry.id == (id & 0xFFFF)) return entry.text;
  }
  return nullptr;
}
