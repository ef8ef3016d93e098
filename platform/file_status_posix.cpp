#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file.h"
#include "platform/file_status.h"
#include "platform/system_error.h"

HRESULT GetFileStatus(const std::string& path, FileStatus* status) {
  // Opening first applies the same checks as reading the file would: the
  // kind of file and the permission to read it.
  UniqueFd fd;
  HRESULT hr = OpenRegularFileForReading(path, &fd);
  if (FAILED(hr)) return hr;
  struct statx facts;
  if (statx(fd.Get(), "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
            &facts) != 0) {
    return StatusFromLastError();
  }
  status->size = facts.stx_size;
  status->last_write = facts.stx_mtime.tv_sec;
  status->last_access = facts.stx_atime.tv_sec;
  status->creation.reset();
  if ((facts.stx_mask & STATX_BTIME) != 0) status->creation = facts.stx_btime.tv_sec;
  return S_OK;
}
