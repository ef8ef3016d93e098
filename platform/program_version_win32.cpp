#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/file_win32.h"
#include "platform/program_path.h"
#include "platform/program_version.h"
#include "platform/system_error.h"

HRESULT LoadProgramVersion(CVersionInfo* info) {
  const std::wstring program = SystemPath(GetProgramPath());
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  if (size == 0) return StatusFromLastError();
  std::vector<uint8_t> buffer(size);
  if (!GetFileVersionInfoW(program.c_str(), 0, size, buffer.data())) return StatusFromLastError();
  // The version API keeps room for its own conversions behind the block;
  // the block's first word is its length.
  const size_t length = std::min<size_t>(size, buffer[0] | (buffer[1] << 8));
  return info->LoadBlock(buffer.data(), length);
}
