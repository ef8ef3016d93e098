#include "platform/safe_file_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/system_error.h"

namespace {

// Large enough that a big document is written in few system calls; left
// uninitialised, so that a small one touches only the pages it fills.
constexpr size_t kBufferSize = 64 << 10;

// The kernel leaves a new file's pages in memory until Commit's fsync asks
// for them, which then waits for the whole document to reach the disk
// (about a second for 100 MB here). Starting the write-back of each chunk
// as soon as it is written lets the disk work while the rest of the
// document is formatted; the fsync then waits only for the tail.
constexpr uint64_t kWritebackChunk = 8 << 20;

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The descriptor of this process that a path names (/dev/stdout,
// /dev/fd/N, /proc/self/fd/N), or -1. Writing to it directly shares its
// offset with everything else the process writes there; opening the path
// again would not.
int InheritedDescriptor(const std::string& path) {
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    const std::string_view head(prefix);
    if (path.compare(0, head.size(), head) != 0 || path.size() == head.size()) continue;
    int fd = 0;
    for (size_t i = head.size(); i < path.size(); ++i) {
      if (path[i] < '0' || path[i] > '9' || fd > 100000) return -1;
      fd = fd * 10 + (path[i] - '0');
    }
    return fcntl(fd, F_GETFD) >= 0 ? fd : -1;
  }
  return -1;
}

// Streams are written where they stand, appended to, and never replaced or
// truncated: a descriptor of this process named by its path (/dev/stdout,
// /proc/self/fd/1), a device, a pipe or a socket. What decides is what the
// path is, never where it lives: /dev/shm holds ordinary files.
bool IsStreamPath(const std::string& path) {
  if (InheritedDescriptor(path) >= 0) return true;
  struct stat status;
  return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) &&
         !S_ISDIR(status.st_mode);
}

// The file a path finally names: symbolic links followed, also a dangling
// one (whose target is then created).
std::string FollowLinks(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  if (real) return real.get();
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    char target[PATH_MAX];
    const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
    if (length < 0) break;
    const std::string next(target, static_cast<size_t>(length));
    current = next[0] == '/' ? next : DirectoryOf(current) + "/" + next;
  }
  return current;
}

HRESULT CreateTemporary(const std::string& directory, const std::string& base, UniqueFd* fd,
                        std::string* path) {
  // The temporary's name must fit where the target's did: a long base is
  // cut, at a character boundary.
  constexpr std::string_view kSuffix = ".brindle-XXXXXX";
  size_t keep = std::min(base.size(), size_t{NAME_MAX} - 1 - kSuffix.size());
  while (keep > 0 && keep < base.size() && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) {
    --keep;
  }
  std::string name = directory + "/." + base.substr(0, keep) + std::string(kSuffix);
  const int created = mkostemp(name.data(), O_CLOEXEC);
  if (created < 0) return StatusFromLastError();
  fd->Reset(created);
  *path = std::move(name);
  return S_OK;
}

mode_t DefaultFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Copies every extended attribute (ACLs included) of from onto to.
bool CopyExtendedAttributes(const std::string& from, int to) {
  const ssize_t list_size = listxattr(from.c_str(), nullptr, 0);
  if (list_size < 0) return errno == ENOTSUP;
  std::vector<char> names(static_cast<size_t>(list_size));
  if (listxattr(from.c_str(), names.data(), names.size()) != list_size) return false;
  for (size_t pos = 0; pos < names.size(); pos += std::strlen(names.data() + pos) + 1) {
    const char* name = names.data() + pos;
    const ssize_t size = getxattr(from.c_str(), name, nullptr, 0);
    if (size < 0) return false;
    std::vector<char> value(static_cast<size_t>(size));
    if (getxattr(from.c_str(), name, value.data(), value.size()) != size ||
        fsetxattr(to, name, value.data(), value.size(), 0) != 0) {
      return false;
    }
  }
  return true;
}

HRESULT SyncDirectory(const std::string& directory) {
  UniqueFd fd(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.IsValid()) return StatusFromLastError();
  // Some file systems cannot sync a folder; the rename itself has happened.
  if (fsync(fd.Get()) != 0 && errno != EINVAL && errno != ENOTSUP) return StatusFromLastError();
  return S_OK;
}

}  // namespace

CSafeFileWriter::CSafeFileWriter() = default;

CSafeFileWriter::~CSafeFileWriter() {
  if (!m_tempPath.empty() && m_keptPath.empty()) unlink(m_tempPath.c_str());
}

HRESULT CSafeFileWriter::Open(const std::string& target) {
  m_appendOnly = IsStreamPath(target);
  m_target = m_appendOnly ? target : FollowLinks(target);
  struct stat status;
  bool exists = stat(m_target.c_str(), &status) == 0;
  if (exists) {
    if (S_ISDIR(status.st_mode)) return E_ACCESS_DENIED;
    if (access(m_target.c_str(), W_OK) != 0) return StatusFromLastError();
    m_inPlace = m_appendOnly || !S_ISREG(status.st_mode);
  } else {
    if (errno != ENOENT) return StatusFromLastError();
    struct stat folder;
    if (stat(DirectoryOf(m_target).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
      return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
  }

  // Streams and devices are copied into, so their temporary lives in the
  // temporary folder; everything else is written beside its target.
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string temp_folder = tmpdir != nullptr && *tmpdir != 0 ? tmpdir : "/tmp";
  HRESULT hr = CreateTemporary(m_inPlace ? temp_folder : DirectoryOf(m_target),
                               BaseNameOf(m_target), &m_temp, &m_tempPath);
  if (FAILED(hr) && exists && !m_inPlace && hr == E_ACCESS_DENIED) {
    // A writable file in a folder we may not create files in: copy into it.
    m_inPlace = true;
    hr = CreateTemporary(temp_folder, BaseNameOf(m_target), &m_temp, &m_tempPath);
  }
  if (FAILED(hr)) return hr;
  m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  return S_OK;
}

HRESULT CSafeFileWriter::Write(const void* data, size_t size) {
  if (FAILED(m_status)) return m_status;
  if (!m_temp.IsValid()) return m_status = E_HANDLE;
  if (m_used + size > kBufferSize) {
    if (FAILED(Flush())) return m_status;
    if (size >= kBufferSize) return m_status = WriteTemporary(data, size);
  }
  std::memcpy(m_buffer.get() + m_used, data, size);
  m_used += size;
  return S_OK;
}

HRESULT CSafeFileWriter::Flush() {
  if (FAILED(m_status)) return m_status;
  m_status = WriteTemporary(m_buffer.get(), m_used);
  m_used = 0;
  return m_status;
}

HRESULT CSafeFileWriter::WriteTemporary(const void* data, size_t size) {
  const HRESULT hr = WriteAll(m_temp.Get(), data, size);
  if (FAILED(hr)) return hr;
  m_written += size;
  if (m_written - m_writebackStart >= kWritebackChunk) {
    // Only a start: its failures (a file system without it, say) surface
    // in the fsync, which still waits for every byte.
    sync_file_range(m_temp.Get(), static_cast<off_t>(m_writebackStart),
                    static_cast<off_t>(m_written - m_writebackStart), SYNC_FILE_RANGE_WRITE);
    m_writebackStart = m_written;
  }
  return S_OK;
}

bool CSafeFileWriter::CanRename() {
  struct stat target;
  if (stat(m_target.c_str(), &target) != 0) {
    // A new file: the usual mode for the user's umask.
    return fchmod(m_temp.Get(), DefaultFileMode()) == 0;
  }
  if (!S_ISREG(target.st_mode) || target.st_nlink != 1) return false;
  struct stat temp;
  if (fstat(m_temp.Get(), &temp) != 0) return false;
  if ((temp.st_uid != target.st_uid || temp.st_gid != target.st_gid) &&
      fchown(m_temp.Get(), target.st_uid, target.st_gid) != 0) {
    return false;
  }
  return fchmod(m_temp.Get(), target.st_mode & 07777) == 0 &&
         CopyExtendedAttributes(m_target, m_temp.Get());
}

HRESULT CSafeFileWriter::Commit() {
  if (FAILED(Flush())) return m_status;
  // Owner, mode and attributes are given before the flush, so that it takes
  // them to disk with the content, in one journal commit.
  const bool replace = !m_inPlace && CanRename();
  if (fsync(m_temp.Get()) != 0) return m_status = StatusFromLastError();
  if (!replace) return CopyInPlace();
  if (FAILED(m_status = m_temp.Close())) return m_status;
  if (rename(m_tempPath.c_str(), m_target.c_str()) != 0) return m_status = StatusFromLastError();
  m_tempPath.clear();
  return m_status = SyncDirectory(DirectoryOf(m_target));
}

HRESULT CSafeFileWriter::CopyInPlace() {
  const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | (m_appendOnly ? O_APPEND : O_TRUNC);
  const int inherited = InheritedDescriptor(m_target);
  UniqueFd target(inherited >= 0 ? fcntl(inherited, F_DUPFD_CLOEXEC, 3)
                                 : open(m_target.c_str(), flags));
  if (!target.IsValid()) return m_status = StatusFromLastError();
  HRESULT hr = S_OK;
  if (lseek(m_temp.Get(), 0, SEEK_SET) != 0) hr = StatusFromLastError();
  while (SUCCEEDED(hr)) {
    const long count = ReadSome(m_temp.Get(), m_buffer.get(), kBufferSize, &hr);
    if (count <= 0) break;
    hr = WriteAll(target.Get(), m_buffer.get(), static_cast<size_t>(count));
  }
  struct stat status;
  if (SUCCEEDED(hr) && fstat(target.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
      fsync(target.Get()) != 0) {
    hr = StatusFromLastError();
  }
  if (SUCCEEDED(hr)) hr = target.Close();
  if (FAILED(hr)) {
    // The target may now hold part of the document: keep the whole.
    m_keptPath = m_tempPath;
    return m_status = hr;
  }
  unlink(m_tempPath.c_str());
  m_tempPath.clear();
  return m_status = S_OK;
}
