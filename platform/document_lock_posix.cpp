#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/document_lock.h"
#include "platform/system_error.h"

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

HRESULT CDocumentLock::OpenTarget(const std::string& path, UniqueFd* fd, bool* folder) {
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

CDocumentLock::Attempt CDocumentLock::TryLock(int fd) {
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Attempt::Locked;
    const HRESULT hr = StatusFromLastError();
    if (hr == StatusFromErrno(EINTR)) continue;
    return hr == StatusFromErrno(EWOULDBLOCK) ? Attempt::Held : Attempt::Unavailable;
  }
}

bool CDocumentLock::StillNames(const std::string& path, int fd, bool folder) {
  struct stat named;
  if (stat(path.c_str(), &named) != 0) return folder;
  struct stat locked;
  return !folder && fstat(fd, &locked) == 0 && locked.st_dev == named.st_dev &&
         locked.st_ino == named.st_ino;
}
