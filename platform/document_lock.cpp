#include "platform/document_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/system_error.h"

namespace {

using Clock = std::chrono::steady_clock;

// Polling starts fast, for the common short wait behind another run, and
// slows to this.
constexpr std::chrono::milliseconds kLongestPoll{100};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void Sleep(std::chrono::milliseconds duration) {
  timespec time{static_cast<time_t>(duration.count() / 1000),
                static_cast<long>(duration.count() % 1000) * 1000000L};
  // Only a signal cuts the sleep short (the time is valid); sleep the rest.
  while (nanosleep(&time, &time) != 0) {
  }
}

// Opens what is to be locked: the file, or its folder while no file is
// there. S_FALSE when there is nothing to lock.
HRESULT OpenLockTarget(const std::string& path, UniqueFd* fd, bool* folder) {
  fd->Reset(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  *folder = false;
  if (!fd->IsValid()) {
    if (StatusFromLastError() != E_FILE_NOT_FOUND) return S_FALSE;
    fd->Reset(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    *folder = true;
    return fd->IsValid() ? S_OK : S_FALSE;
  }
  struct stat status;
  if (fstat(fd->Get(), &status) != 0 || !S_ISREG(status.st_mode)) return S_FALSE;
  return S_OK;
}

// Whether path still names what fd locked: the same file, or still nothing
// when the folder was locked.
bool StillNames(const std::string& path, int fd, bool folder) {
  struct stat named;
  if (stat(path.c_str(), &named) != 0) return folder;
  struct stat locked;
  return !folder && fstat(fd, &locked) == 0 && locked.st_dev == named.st_dev &&
         locked.st_ino == named.st_ino;
}

}  // namespace

HRESULT CDocumentLock::Acquire(const std::string& path, const LockWait& wait,
                               const std::function<void()>& notice) {
  Release();
  const Clock::time_point start = Clock::now();
  bool noticed = false;
  std::chrono::milliseconds poll{2};
  for (;;) {
    UniqueFd fd;
    bool folder = false;
    if (OpenLockTarget(path, &fd, &folder) != S_OK) return S_FALSE;
    while (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
      const HRESULT hr = StatusFromLastError();
      if (hr == StatusFromErrno(EINTR)) continue;
      // No locks here (some network file systems): go on without.
      if (hr != StatusFromErrno(EWOULDBLOCK)) return S_FALSE;
      const Clock::duration waited = Clock::now() - start;
      if (waited >= wait.limit) return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
      if (!noticed && waited >= wait.notice_after) {
        noticed = true;
        if (notice) notice();
      }
      Sleep(poll);
      poll = std::min(poll * 2, kLongestPoll);
    }
    if (StillNames(path, fd.Get(), folder)) {
      m_fd = std::move(fd);
      return S_OK;
    }
    // Replaced (or created) by the run that held the lock: lock what is
    // there now.
  }
}
