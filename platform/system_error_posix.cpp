#include <cerrno>

#include "platform/system_error.h"

namespace {

struct ErrnoMapping {
  int error;
  uint32_t win32;
};

constexpr ErrnoMapping kErrnoMappings[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {ENOEXEC, ERROR_BAD_FORMAT},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {EROFS, ERROR_WRITE_PROTECT},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {EEXIST, ERROR_FILE_EXISTS},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {EPIPE, ERROR_BROKEN_PIPE},
    {ENOSPC, ERROR_DISK_FULL},
    {ESPIPE, ERROR_SEEK_ON_DEVICE},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EBUSY, ERROR_BUSY},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EFBIG, ERROR_FILE_TOO_LARGE},
    {EIO, ERROR_IO_DEVICE},
    {EDQUOT, ERROR_DISK_QUOTA_EXCEEDED},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
};

}  // namespace

HRESULT StatusFromErrno(int error) {
  if (error == 0) return E_FAIL;
  for (const ErrnoMapping& mapping : kErrnoMappings) {
    if (mapping.error == error) return HRESULT_FROM_WIN32(mapping.win32);
  }
  return StatusFromErrnoCode(error);
}

HRESULT StatusFromLastError() { return StatusFromErrno(errno); }
