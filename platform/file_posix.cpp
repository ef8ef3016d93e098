#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/file.h"
#include "platform/system_error.h"

void UniqueFd::Reset(int fd) {
  if (m_fd >= 0) close(m_fd);
  m_fd = fd;
}

HRESULT UniqueFd::Close() {
  const int fd = Release();
  if (fd >= 0 && close(fd) != 0 && errno != EINTR) return StatusFromLastError();
  return S_OK;
}

bool PathExists(const std::string& path) {
  struct stat status;
  return !path.empty() && stat(path.c_str(), &status) == 0;
}

HRESULT OpenForReading(const std::string& path, UniqueFd* fd) {
  const int opened = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (opened < 0) return StatusFromLastError();
  fd->Reset(opened);
  return S_OK;
}

HRESULT OpenRegularFileForReading(const std::string& path, UniqueFd* fd, ReadHint hint) {
  // Non-blocking, so that opening a FIFO without a writer cannot hang; the
  // flag is dropped again once the file is known to be regular.
  UniqueFd opened(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!opened.IsValid()) return StatusFromLastError();
  struct stat status;
  if (fstat(opened.Get(), &status) != 0) return StatusFromLastError();
  if (!S_ISREG(status.st_mode)) return E_ACCESS_DENIED;
  const int flags = fcntl(opened.Get(), F_GETFL);
  if (flags < 0 || fcntl(opened.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return StatusFromLastError();
  }
  // Only a hint: the file is read once from start to end.
  if (hint == ReadHint::Sequential) posix_fadvise(opened.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  *fd = std::move(opened);
  return S_OK;
}

HRESULT GetOpenFileSize(int fd, uint64_t* size) {
  struct stat status;
  if (fstat(fd, &status) != 0) return StatusFromLastError();
  if (!S_ISREG(status.st_mode)) return E_ACCESS_DENIED;
  *size = static_cast<uint64_t>(status.st_size);
  return S_OK;
}

long ReadSome(int fd, void* buffer, size_t size, HRESULT* status) {
  for (;;) {
    const ssize_t count = read(fd, buffer, size);
    if (count >= 0) return static_cast<long>(count);
    if (errno != EINTR) {
      *status = StatusFromLastError();
      return -1;
    }
  }
}

long ReadSomeAt(int fd, void* buffer, size_t size, uint64_t offset, HRESULT* status) {
  for (;;) {
    const ssize_t count = pread(fd, buffer, size, static_cast<off_t>(offset));
    if (count >= 0) return static_cast<long>(count);
    if (errno != EINTR) {
      *status = StatusFromLastError();
      return -1;
    }
  }
}

HRESULT WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return StatusFromLastError();
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return S_OK;
}

HRESULT WriteAllAt(int fd, const void* data, size_t size, uint64_t offset) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = pwrite(fd, bytes, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return StatusFromLastError();
    }
    bytes += written;
    size -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return S_OK;
}

HRESULT CopyFileBytes(int from, int to, uint64_t begin, uint64_t end, CopyWrites writes) {
  constexpr size_t kBlock = 64 << 10;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBlock);
  for (uint64_t offset = begin; offset < end;) {
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kBlock, end - offset));
    const ssize_t count = pread(from, buffer.get(), wanted, static_cast<off_t>(offset));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return StatusFromLastError();
    if (count == 0) return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
    const size_t length = static_cast<size_t>(count);
    const HRESULT hr = writes == CopyWrites::AtOffsets
                           ? WriteAllAt(to, buffer.get(), length, offset)
                           : WriteAll(to, buffer.get(), length);
    if (FAILED(hr)) return hr;
    offset += length;
  }
  return S_OK;
}

HRESULT SyncFolder(int folder) {
  if (fsync(folder) == 0) return S_OK;
  const HRESULT hr = StatusFromLastError();
  if (hr == E_INVALIDARG || hr == HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED) ||
      hr == StatusFromErrno(EBADF)) {
    return S_OK;
  }
  return hr;
}
