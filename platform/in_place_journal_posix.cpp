#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/in_place_journal.h"
#include "platform/system_error.h"

namespace {

// The state folder for brindle; false when the environment names none.
bool GetStateFolder(std::string* folder) {
  const char* state_home = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  // Relative paths do not count, as the base directory rules say.
  if (state_home != nullptr && state_home[0] == '/') {
    *folder = state_home;
  } else if (home != nullptr && home[0] == '/') {
    *folder = std::string(home) + "/.local/state";
  } else {
    return false;
  }
  *folder += "/brindle";
  return true;
}

std::string JournalName(const struct stat& file) {
  return "in-place-" + std::to_string(file.st_dev) + "-" + std::to_string(file.st_ino) + ".xml";
}

// Creates each missing level of folder, private to the user.
HRESULT MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string level = folder.substr(0, slash);
    if (mkdir(level.c_str(), 0700) != 0) {
      const HRESULT hr = StatusFromLastError();
      if (hr != HRESULT_FROM_WIN32(ERROR_FILE_EXISTS)) return hr;
    }
    if (slash == std::string::npos) return S_OK;
  }
}

HRESULT CheckStatus(const struct stat& file, std::string* journal) {
  std::string folder;
  if (!S_ISREG(file.st_mode) || !GetStateFolder(&folder)) return S_OK;
  const std::string path = folder + "/" + JournalName(file);
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) return S_OK;
  if (journal != nullptr) *journal = path;
  return FILE_E_HALF_WRITTEN;
}

}  // namespace

HRESULT CheckForInPlaceJournal(int fd, std::string* journal) {
  struct stat file;
  if (fstat(fd, &file) != 0) return StatusFromLastError();
  return CheckStatus(file, journal);
}

HRESULT FindInPlaceJournal(const std::string& path, std::string* journal) {
  struct stat file;
  if (stat(path.c_str(), &file) != 0) return S_OK;
  return CheckStatus(file, journal);
}

HRESULT CInPlaceJournal::Create(int fd) {
  struct stat file;
  if (fstat(fd, &file) != 0) return StatusFromLastError();
  if (!GetStateFolder(&m_folderPath)) return FILE_E_NO_STATE_FOLDER;
  HRESULT hr = MakeFolders(m_folderPath);
  if (FAILED(hr)) return hr;
  m_folder.Reset(open(m_folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!m_folder.IsValid()) return StatusFromLastError();
  m_name = JournalName(file);
  m_size = static_cast<uint64_t>(file.st_size);

  // Written under a temporary name and linked into place whole, so that a
  // journal never holds less than the file did.
  hr = m_content.Create(m_folder.Get(), m_folderPath, m_name, 0600);
  if (SUCCEEDED(hr)) hr = CopyFileBytes(fd, m_content.Fd(), 0, m_size, CopyWrites::Appended);
  if (SUCCEEDED(hr) && fsync(m_content.Fd()) != 0) hr = StatusFromLastError();
  if (SUCCEEDED(hr)) hr = m_content.LinkAs(m_name);
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_EXISTS)) {
    // Another run is writing the same file in place.
    m_folderPath.clear();
    return FILE_E_HALF_WRITTEN;
  }
  if (FAILED(hr)) return hr;
  m_path = m_folderPath + "/" + m_name;
  hr = SyncFolder(m_folder.Get());
  if (FAILED(hr)) Remove();
  return hr;
}

HRESULT CInPlaceJournal::RestoreInto(int fd) {
  HRESULT hr = CopyFileBytes(m_content.Fd(), fd, 0, m_size, CopyWrites::AtOffsets);
  if (SUCCEEDED(hr) && ftruncate(fd, static_cast<off_t>(m_size)) != 0) hr = StatusFromLastError();
  if (SUCCEEDED(hr) && fsync(fd) != 0) hr = StatusFromLastError();
  return hr;
}

void CInPlaceJournal::Remove() {
  if (m_path.empty()) return;
  unlinkat(m_folder.Get(), m_name.c_str(), 0);
  SyncFolder(m_folder.Get());
  m_path.clear();
}
