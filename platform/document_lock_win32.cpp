#include <fcntl.h>

#include "platform/document_lock.h"
#include "platform/file_win32.h"

namespace {

// Windows' locks keep others from reading and writing the bytes they
// cover; the lock covers one byte far beyond the end of any document, so
// that it holds back other runs' locks and nothing else.
constexpr DWORD kLockOffsetHigh = 0x40000000;

// What identifies a file on its volume.
bool FileIdentity(HANDLE file, BY_HANDLE_FILE_INFORMATION* identity) {
  return GetFileInformationByHandle(file, identity) != 0;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Opened so that it stands in the way of nothing: reading, writing,
// renaming and deleting by others, and the save's own replacement.
HANDLE OpenShared(const std::string& path, DWORD access) {
  return CreateFileW(SystemPath(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

HRESULT CDocumentLock::OpenTarget(const std::string& path, UniqueFd* fd, bool* folder) {
  // A folder cannot be locked here: a document that does not exist yet
  // goes without.
  *folder = false;
  const HANDLE handle = OpenShared(path, GENERIC_READ);
  if (handle == INVALID_HANDLE_VALUE) return S_FALSE;
  const bool regular = GetFileType(handle) == FILE_TYPE_DISK;
  if (FAILED(AdoptHandle(handle, _O_RDONLY, fd))) return S_FALSE;
  return regular ? S_OK : S_FALSE;
}

CDocumentLock::Attempt CDocumentLock::TryLock(int fd) {
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  if (LockFileEx(HandleOf(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    return Attempt::Locked;
  }
  return GetLastError() == ERROR_LOCK_VIOLATION ? Attempt::Held : Attempt::Unavailable;
}

bool CDocumentLock::StillNames(const std::string& path, int fd, bool) {
  BY_HANDLE_FILE_INFORMATION locked;
  BY_HANDLE_FILE_INFORMATION named;
  const HANDLE handle = OpenShared(path, 0);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool same = FileIdentity(HandleOf(fd), &locked) && FileIdentity(handle, &named) &&
                    SameFile(locked, named);
  CloseHandle(handle);
  return same;
}
