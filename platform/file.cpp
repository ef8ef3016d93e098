#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

HRESULT OpenRegularFileForReading(const std::string& path, UniqueFd* fd) {
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
  *fd = std::move(opened);
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
