// The program's own version record: a VS_VERSIONINFO block generated at
// build time from the project's version and compiled into the program.
// Read it with CVersionInfo::LoadBlock.
#pragma once

#include <cstddef>
#include <cstdint>

extern const uint8_t kProgramVersionRecord[];
extern const size_t kProgramVersionRecordSize;
