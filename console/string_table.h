// The program's string table: texts addressed by number, as the crash
// report's text is.
#pragma once

#include <cstdint>

constexpr uint32_t kStringCrashReport = 27009;

// The text with that id (low 16 bits), or nullptr.
const char* LoadStringResource(uint32_t id);
