// File access for everyone above the platform layer: an owned descriptor and
// the opens the program needs, with failures as statuses.
//
// A descriptor is the system's: on Windows the C runtime's, which owns the
// file's HANDLE (_get_osfhandle). It is read and written here with the
// Win32 calls, never through the runtime, so that no text mode ever
// changes a byte. Files are opened by their UTF-16 names, long ones (beyond
// MAX_PATH) in the \\?\ form.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

// Owns one file descriptor; closes it when destroyed or reset.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : m_fd(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int Get() const { return m_fd; }
  bool IsValid() const { return m_fd >= 0; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  // Closes the descriptor held, if any, and takes fd.
  void Reset(int fd = -1);
  // Closes the descriptor and reports the close's own failure (a deferred
  // write error on some file systems).
  HRESULT Close();

 private:
  int m_fd = -1;
};

// Where a path is expected, these stand for the process's standard input
// and output (the command line's "-"): opened for reading, and as a save's
// target, they are those streams, whatever they are connected to. Linux
// opens the names themselves; on Windows the file layer maps them to the
// standard handles.
constexpr char kStandardInputPath[] = "/dev/stdin";
constexpr char kStandardOutputPath[] = "/dev/stdout";

// Whether anything exists at path: a file, a folder, a device.
bool PathExists(const std::string& path);

// Opens path for reading, whatever kind of file it is.
HRESULT OpenForReading(const std::string& path, UniqueFd* fd);

// How a file is going to be read.
enum class ReadHint {
  Any,
  Sequential,  // once, from start to end
};

// Opens path for reading only when it is a regular file: a folder, a device
// or a pipe fails with access denied, so that no reader waits or reads
// forever. A missing file fails with file not found. On Windows others may
// only read the file meanwhile: a file that another program holds open for
// writing fails with ERROR_SHARING_VIOLATION.
HRESULT OpenRegularFileForReading(const std::string& path, UniqueFd* fd,
                                  ReadHint hint = ReadHint::Any);

// The size in bytes of the regular file open on fd; anything else fails
// with access denied.
HRESULT GetOpenFileSize(int fd, uint64_t* size);

// Reads up to size bytes, retrying on signals. Returns the count read (0 at
// the end of the file) or -1 with *status set.
long ReadSome(int fd, void* buffer, size_t size, HRESULT* status);

// Reads up to size bytes at offset, as ReadSome does; the descriptor's own
// offset is left undefined.
long ReadSomeAt(int fd, void* buffer, size_t size, uint64_t offset, HRESULT* status);

// Writes all of data, retrying short writes and signals.
HRESULT WriteAll(int fd, const void* data, size_t size);

#ifndef _WIN32
// For the in-place save, which Windows does not take (safe_file_writer.h).
// Writes all of data at offset, retrying short writes and signals; the
// descriptor's own offset does not move.
HRESULT WriteAllAt(int fd, const void* data, size_t size, uint64_t offset);

// How CopyFileBytes writes what it reads.
enum class CopyWrites {
  Appended,   // at the target's own offset, which moves on
  AtOffsets,  // at the offsets they were read from
};

// Copies the bytes from offset begin up to end of from (read at their
// offsets, so that from's own offset does not move) to to. A from that ends
// early fails with ERROR_HANDLE_EOF.
HRESULT CopyFileBytes(int from, int to, uint64_t begin, uint64_t end, CopyWrites writes);

// Flushes a folder's entries (a rename, a new or removed name) to disk.
// File systems that cannot flush a folder, and descriptors that name a
// folder without opening it, are not a failure.
HRESULT SyncFolder(int folder);
#endif
