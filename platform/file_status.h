// The size and time stamps of a regular file, read together in one call so
// that they describe the same moment of the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/status.h"

struct FileStatus {
  uint64_t size = 0;  // bytes
  // Seconds since 1970-01-01 00:00:00 UTC.
  int64_t last_write = 0;
  int64_t last_access = 0;
  // The file's birth time; absent where the file system does not record it.
  std::optional<int64_t> creation;
};

// Reads the status of the regular file at path (symbolic links followed).
// The file must be readable, as it would be for reading its content: a
// missing file fails with file not found (2), an unreadable one, a folder,
// a device or a pipe with access denied (5). *status is left alone on
// failure.
HRESULT GetFileStatus(const std::string& path, FileStatus* status);
