#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/in_place_journal.h"
#include "platform/safe_file_writer.h"
#include "platform/system_error.h"

namespace {

// The kernel leaves a new file's pages in memory until Commit's fsync asks
// for them, which then waits for the whole document to reach the disk
// (about a second for 100 MB here). Starting the write-back of each chunk
// as soon as it is written lets the disk work while the rest of the
// document is formatted; the fsync then waits only for the tail.
constexpr uint64_t kWritebackChunk = 8 << 20;

// The one extended attribute whose absence matters: without it a file has
// exactly the access its mode gives.
constexpr char kAccessAcl[] = "system.posix_acl_access";

const HRESULT kTargetReplaced = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);

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

// Opens a folder to create, rename and remove names in, and to flush. A
// folder we may search but not list is still usable, only not flushed.
HRESULT OpenFolder(const std::string& path, UniqueFd* fd) {
  fd->Reset(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd->IsValid()) fd->Reset(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (fd->IsValid()) return S_OK;
  const HRESULT hr = StatusFromLastError();
  return hr == E_FILE_NOT_FOUND ? HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) : hr;
}

HRESULT ClearNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return StatusFromLastError();
  return S_OK;
}

// The names of a file's extended attributes; false when they cannot be
// read. A file system without them has none.
bool ListAttributes(int fd, std::vector<std::string>* names) {
  names->clear();
  const ssize_t size = flistxattr(fd, nullptr, 0);
  if (size < 0) return StatusFromLastError() == HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
  std::vector<char> list(static_cast<size_t>(size));
  if (flistxattr(fd, list.data(), list.size()) != size) return false;
  for (size_t pos = 0; pos < list.size(); pos += std::strlen(list.data() + pos) + 1) {
    names->emplace_back(list.data() + pos);
  }
  return true;
}

// Gives to exactly the extended attributes of from. An attribute that a
// new file gets from its folder (a default ACL, above all) but from lacks
// is removed, so that the new file grants no more than the old one did;
// one that the system sets and will not remove (a security label) stays.
bool MatchExtendedAttributes(int from, int to) {
  std::vector<std::string> wanted;
  std::vector<std::string> present;
  if (!ListAttributes(from, &wanted) || !ListAttributes(to, &present)) return false;
  for (const std::string& name : present) {
    if (std::find(wanted.begin(), wanted.end(), name) != wanted.end()) continue;
    if (fremovexattr(to, name.c_str()) != 0 && name == kAccessAcl) return false;
  }
  for (const std::string& name : wanted) {
    const ssize_t size = fgetxattr(from, name.c_str(), nullptr, 0);
    if (size < 0) return false;
    std::vector<char> value(static_cast<size_t>(size));
    if (fgetxattr(from, name.c_str(), value.data(), value.size()) != size ||
        fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

CSafeFileWriter::CSafeFileWriter() = default;

CSafeFileWriter::~CSafeFileWriter() {
  if (!m_createdTarget) return;
  // A failed save leaves nothing where it found nothing.
  struct stat named;
  if (fstatat(m_folder.Get(), m_name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
      named.st_dev == m_targetStatus.st_dev && named.st_ino == m_targetStatus.st_ino &&
      named.st_size == 0) {
    unlinkat(m_folder.Get(), m_name.c_str(), 0);
  }
}

HRESULT CSafeFileWriter::Open(const std::string& target) {
  HRESULT hr;
  const int inherited = InheritedDescriptor(target);
  struct stat link;
  if (inherited >= 0) {
    m_stream.Reset(fcntl(inherited, F_DUPFD_CLOEXEC, 3));
    m_route = Route::Stream;
    hr = m_stream.IsValid() ? S_OK : StatusFromLastError();
  } else if (lstat(target.c_str(), &link) == 0) {
    hr = OpenExisting(target, S_ISLNK(link.st_mode));
  } else {
    hr = StatusFromLastError();
    if (hr == E_FILE_NOT_FOUND) hr = OpenNewFile(target);
  }
  if (FAILED(hr)) return hr;
  m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  return S_OK;
}

HRESULT CSafeFileWriter::OpenNewFile(const std::string& target) {
  m_route = Route::NewFile;
  m_folderPath = DirectoryOf(target);
  m_name = BaseNameOf(target);
  HRESULT hr = OpenFolder(m_folderPath, &m_folder);
  // Created with the mode any program's new file gets: the umask, or the
  // folder's default ACL, decides.
  if (SUCCEEDED(hr)) hr = m_temp.Create(m_folder.Get(), m_folderPath, m_name, 0666);
  return hr;
}

HRESULT CSafeFileWriter::OpenExisting(const std::string& target, bool is_link) {
  struct stat followed;
  const bool resolves = stat(target.c_str(), &followed) == 0;
  // A FIFO is opened as the shell opens it, waiting for its reader; anything
  // else without waiting (a device that waits for a carrier, say).
  const int wait = resolves && S_ISFIFO(followed.st_mode) ? 0 : O_NONBLOCK;
  m_target.Reset(
      open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOCTTY | O_CLOEXEC | wait, 0666));
  if (!m_target.IsValid()) return StatusFromLastError();
  if (fstat(m_target.Get(), &m_targetStatus) != 0) return StatusFromLastError();
  if (!S_ISREG(m_targetStatus.st_mode)) {
    m_route = Route::Stream;
    m_stream = std::move(m_target);
    return ClearNonBlocking(m_stream.Get());
  }
  HRESULT hr = LocateTarget(target);
  if (FAILED(hr)) return hr;
  if (is_link && !resolves && m_targetStatus.st_size == 0) {
    m_createdTarget = true;
    m_createdCleanup.Set(m_folder.Get(), m_name, m_targetStatus.st_ino);
  }
  hr = CheckForInPlaceJournal(m_target.Get(), nullptr);
  if (FAILED(hr)) return hr;

  m_route = Route::Replace;
  hr = m_temp.Create(m_folder.Get(), m_folderPath, m_name, 0600);
  if (hr != E_ACCESS_DENIED) return hr;
  // A writable file in a folder that takes no new files: it is written in
  // place, from a temporary in the temporary folder.
  m_route = Route::InPlace;
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string temp_folder = tmpdir != nullptr && tmpdir[0] == '/' ? tmpdir : "/tmp";
  UniqueFd folder;
  hr = OpenFolder(temp_folder, &folder);
  if (SUCCEEDED(hr)) hr = m_temp.Create(folder.Get(), temp_folder, m_name, 0600);
  return hr;
}

HRESULT CSafeFileWriter::LocateTarget(const std::string& target) {
  // The kernel's own name for what it opened, with every link resolved;
  // realpath where /proc is not mounted.
  std::string real;
  const std::string self = "/proc/self/fd/" + std::to_string(m_target.Get());
  char buffer[PATH_MAX];
  const ssize_t length = readlink(self.c_str(), buffer, sizeof buffer);
  if (length > 0 && static_cast<size_t>(length) < sizeof buffer && buffer[0] == '/') {
    real.assign(buffer, static_cast<size_t>(length));
  } else {
    std::unique_ptr<char, decltype(&free)> resolved(realpath(target.c_str(), nullptr), &free);
    if (!resolved) return StatusFromLastError();
    real = resolved.get();
  }
  m_folderPath = DirectoryOf(real);
  m_name = BaseNameOf(real);
  const HRESULT hr = OpenFolder(m_folderPath, &m_folder);
  if (FAILED(hr)) return hr;
  return TargetUnchanged() ? S_OK : kTargetReplaced;
}

// Whether the target's name still holds the file that was opened.
bool CSafeFileWriter::TargetUnchanged() const {
  struct stat named;
  return fstatat(m_folder.Get(), m_name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         named.st_dev == m_targetStatus.st_dev && named.st_ino == m_targetStatus.st_ino;
}

// Starts the temporary's write-back to disk every kWritebackChunk bytes.
HRESULT CSafeFileWriter::WriteOut(const void* data, size_t size) {
  if (m_route == Route::Stream) return WriteAll(m_stream.Get(), data, size);
  const HRESULT hr = WriteAll(m_temp.Fd(), data, size);
  if (FAILED(hr)) return hr;
  m_written += size;
  if (m_written - m_writebackStart >= kWritebackChunk) {
    // Only a start: its failures (a file system without it, say) surface
    // in the fsync, which still waits for every byte.
    sync_file_range(m_temp.Fd(), static_cast<off_t>(m_writebackStart),
                    static_cast<off_t>(m_written - m_writebackStart), SYNC_FILE_RANGE_WRITE);
    m_writebackStart = m_written;
  }
  return S_OK;
}

HRESULT CSafeFileWriter::Commit() {
  if (FAILED(Flush())) return m_status;
  switch (m_route) {
    case Route::Stream:
      return m_status = FinishStream();
    case Route::Replace:
      // Owner, mode and attributes are given before the flush, so that it
      // takes them to disk with the content, in one journal commit.
      if (!GiveTemporaryTheTargetsRights()) {
        m_route = Route::InPlace;
        return m_status = WriteInPlace();
      }
      return m_status = RenameIntoPlace();
    case Route::NewFile:
      return m_status = RenameIntoPlace();
    case Route::InPlace:
      return m_status = WriteInPlace();
  }
  return m_status = E_UNEXPECTED;
}

HRESULT CSafeFileWriter::FinishStream() {
  // Standard output redirected to a file is flushed like any saved file;
  // pipes and terminals have nothing to flush.
  struct stat status;
  if (fstat(m_stream.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
      fsync(m_stream.Get()) != 0) {
    return StatusFromLastError();
  }
  return m_stream.Close();
}

bool CSafeFileWriter::GiveTemporaryTheTargetsRights() {
  struct stat target;
  struct stat temp;
  if (fstat(m_target.Get(), &target) != 0 || fstat(m_temp.Fd(), &temp) != 0 ||
      target.st_nlink != 1) {
    return false;
  }
  // The owner first: a change of owner clears attributes such as file
  // capabilities, and the mode last, so that it stands as the target's.
  if ((temp.st_uid != target.st_uid || temp.st_gid != target.st_gid) &&
      fchown(m_temp.Fd(), target.st_uid, target.st_gid) != 0) {
    return false;
  }
  return MatchExtendedAttributes(m_target.Get(), m_temp.Fd()) &&
         fchmod(m_temp.Fd(), target.st_mode & 07777) == 0;
}

HRESULT CSafeFileWriter::RenameIntoPlace() {
  if (fsync(m_temp.Fd()) != 0) return StatusFromLastError();
  // Whatever stands at a new file's name now is replaced, a link itself
  // rather than what it names; an existing target must still be the file
  // that was opened and checked.
  if (m_route == Route::Replace && !TargetUnchanged()) return kTargetReplaced;
  const HRESULT hr = m_temp.RenameOver(m_name);
  if (FAILED(hr)) return hr;
  m_createdTarget = false;
  m_createdCleanup.Clear();
  return SyncFolder(m_folder.Get());
}

HRESULT CSafeFileWriter::WriteInPlace() {
  // Reopened to write at any offset: the ">>" descriptor only appends.
  UniqueFd file(openat(m_folder.Get(), m_name.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
  if (!file.IsValid()) return StatusFromLastError();
  struct stat status;
  if (fstat(file.Get(), &status) != 0) return StatusFromLastError();
  if (status.st_dev != m_targetStatus.st_dev || status.st_ino != m_targetStatus.st_ino) {
    return kTargetReplaced;
  }
  if (fsync(m_temp.Fd()) != 0) return StatusFromLastError();
  const uint64_t old_size = static_cast<uint64_t>(status.st_size);

  // Until the file is whole again only SIGKILL or a power cut can stop
  // the run; the journal covers those.
  const CDeferInterrupts defer;
  CInPlaceJournal journal;
  HRESULT hr = journal.Create(file.Get());
  if (FAILED(hr)) {
    m_report.journal_folder = journal.FolderPath();
    return hr;
  }
  hr = ReserveSpace(file.Get(), old_size);
  if (FAILED(hr)) {
    journal.Remove();
    return hr;
  }
  hr = Overwrite(file.Get(), old_size);
  if (SUCCEEDED(hr)) {
    journal.Remove();
    m_temp.Remove();
    return S_OK;
  }
  if (SUCCEEDED(journal.RestoreInto(file.Get()))) {
    journal.Remove();
    return hr;
  }
  // The file holds neither document whole: both are kept for the user.
  m_temp.Keep();
  m_report.kept_document = m_temp.Path();
  m_report.kept_previous = journal.Path();
  return hr;
}

// Makes sure the file can grow to the new size before any of its bytes
// change, so that a full disk or a quota stops the save there, with the
// file as it was. On failure the file is as it was.
HRESULT CSafeFileWriter::ReserveSpace(int file, uint64_t old_size) {
  if (m_written <= old_size) return S_OK;
  const off_t growth = static_cast<off_t>(m_written - old_size);
  // Beyond the end, without changing the size: the file's content stays.
  if (fallocate(file, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(old_size), growth) == 0) return S_OK;
  HRESULT hr = StatusFromLastError();
  if (hr == HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED) || hr == StatusFromErrno(ENOSYS)) {
    // No reservation here: the new content's tail, beyond the old end,
    // goes first instead.
    hr = CopyFileBytes(m_temp.Fd(), file, old_size, m_written, CopyWrites::AtOffsets);
    if (SUCCEEDED(hr)) return S_OK;
  }
  // Gives back what part of the space was taken (a punched hole frees a
  // reservation beyond the end; a truncation drops a written tail).
  fallocate(file, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(old_size), growth);
  if (ftruncate(file, static_cast<off_t>(old_size)) == 0) fsync(file);
  return hr;
}

HRESULT CSafeFileWriter::Overwrite(int file, uint64_t old_size) {
  HRESULT hr = CopyFileBytes(m_temp.Fd(), file, 0, m_written, CopyWrites::AtOffsets);
  const off_t new_size = static_cast<off_t>(m_written);
  if (SUCCEEDED(hr) && m_written < old_size && ftruncate(file, new_size) != 0) {
    hr = StatusFromLastError();
  }
  if (SUCCEEDED(hr) && fsync(file) != 0) hr = StatusFromLastError();
  return hr;
}
