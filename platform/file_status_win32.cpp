#include "platform/file_status.h"
#include "platform/file_win32.h"

namespace {

// FILETIME counts 100-nanosecond intervals since 1601-01-01 00:00:00 UTC.
constexpr int64_t kIntervalsPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

int64_t UnixSeconds(const FILETIME& time) {
  const int64_t intervals =
      static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  // Rounded down, as stat's seconds are.
  const int64_t seconds = intervals / kIntervalsPerSecond - (intervals < 0 ? 1 : 0);
  return seconds - kSecondsFrom1601To1970;
}

}  // namespace

HRESULT GetFileStatus(const std::string& path, FileStatus* status) {
  // Opening first applies the same checks as reading the file would: the
  // kind of file, the permission to read it, and the sharing of others.
  HANDLE file = INVALID_HANDLE_VALUE;
  BY_HANDLE_FILE_INFORMATION facts;
  const HRESULT hr = OpenRegularFileHandle(path, ReadHint::Any, &file, &facts);
  if (FAILED(hr)) return hr;
  CloseHandle(file);
  status->size = (static_cast<uint64_t>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
  status->last_write = UnixSeconds(facts.ftLastWriteTime);
  status->last_access = UnixSeconds(facts.ftLastAccessTime);
  status->creation = UnixSeconds(facts.ftCreationTime);
  return S_OK;
}
