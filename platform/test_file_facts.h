// Test support: setting the facts of a file that the program only reads:
// its size and its time stamps.
#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/text_encoding.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// Makes the file at path size bytes long (sparse where the file system
// can). False when that fails.
inline bool ResizeFile(const std::string& path, uint64_t size) {
#ifdef _WIN32
  const HANDLE file =
      CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  const bool resized = SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end) != 0;
  CloseHandle(file);
  return resized;
#else
  return truncate(path.c_str(), static_cast<off_t>(size)) == 0;
#endif
}

// Sets the last access and last write times of the file at path, in seconds
// since 1970-01-01 00:00:00 UTC. False when that fails.
inline bool SetFileTimes(const std::string& path, int64_t last_access, int64_t last_write) {
#ifdef _WIN32
  const auto file_time = [](int64_t seconds) {
    // 100-nanosecond intervals since 1601-01-01.
    const uint64_t intervals = static_cast<uint64_t>(seconds + 11644473600) * 10000000;
    return FILETIME{static_cast<DWORD>(intervals), static_cast<DWORD>(intervals >> 32)};
  };
  const HANDLE file =
      CreateFileW(Utf8ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const FILETIME access = file_time(last_access);
  const FILETIME write = file_time(last_write);
  const bool set = SetFileTime(file, nullptr, &access, &write) != 0;
  CloseHandle(file);
  return set;
#else
  const timespec times[2] = {{last_access, 0}, {last_write, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
#endif
}
