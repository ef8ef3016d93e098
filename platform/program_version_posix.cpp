#include <cstddef>
#include <cstdint>

#include "platform/program_version.h"

// Defined by the file that make_version_record generates.
extern const uint8_t kProgramVersionRecord[];
extern const size_t kProgramVersionRecordSize;

HRESULT LoadProgramVersion(CVersionInfo* info) {
  return info->LoadBlock(kProgramVersionRecord, kProgramVersionRecordSize);
}
