#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/system_error.h"
#include "platform/temporary_file.h"

namespace {

constexpr std::string_view kTemporaryInfix = ".brindle-";
constexpr std::string_view kKeptInfix = ".brindle-kept-";
constexpr size_t kRandomLength = 6;
constexpr std::string_view kRandomAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kCreateAttempts = 100;

// prefix + name + infix + kRandomLength characters, the name cut (at a
// character boundary) so that the whole fits in NAME_MAX bytes. Returns the
// whole with the random part left empty.
std::string NameStem(std::string_view prefix, std::string_view name, std::string_view infix) {
  const size_t room = NAME_MAX - prefix.size() - infix.size() - kRandomLength;
  size_t keep = std::min(name.size(), room);
  // A cut before a UTF-8 continuation byte would split a character.
  const auto continues = [&name](size_t at) {
    return (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80;
  };
  while (keep > 0 && keep < name.size() && continues(keep)) --keep;
  std::string stem(prefix);
  stem += name.substr(0, keep);
  stem += infix;
  return stem;
}

std::string TemporaryStem(std::string_view name) { return NameStem(".", name, kTemporaryInfix); }

std::string WithRandomEnd(std::string stem) {
  unsigned char bytes[kRandomLength] = {};
  // Without entropy (early in boot) the names still differ from attempt to
  // attempt; O_EXCL keeps them apart either way.
  static unsigned attempts = 0;
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    unsigned seed = static_cast<unsigned>(getpid()) * 7919u + ++attempts;
    for (unsigned char& byte : bytes) {
      seed = seed * 1103515245u + 12345u;
      byte = static_cast<unsigned char>(seed >> 16);
    }
  }
  for (unsigned char byte : bytes) stem += kRandomAlphabet[byte % kRandomAlphabet.size()];
  return stem;
}

bool IsTemporaryName(std::string_view entry, std::string_view stem) {
  if (entry.size() != stem.size() + kRandomLength || entry.substr(0, stem.size()) != stem) {
    return false;
  }
  return entry.substr(stem.size()).find_first_not_of(kRandomAlphabet) == std::string_view::npos;
}

// A temporary left by a run that died holds no lock; a live run's does.
// Best effort: what cannot be opened or removed stays.
void RemoveStaleTemporaries(int folder, std::string_view name) {
  UniqueFd listing(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listing.IsValid()) return;
  struct DirClose {
    void operator()(DIR* dir) const { closedir(dir); }
  };
  const std::unique_ptr<DIR, DirClose> dir(fdopendir(listing.Get()));
  if (!dir) return;
  listing.Release();
  const std::string stem = TemporaryStem(name);
  while (const dirent* entry = readdir(dir.get())) {
    if (!IsTemporaryName(entry->d_name, stem)) continue;
    const UniqueFd stale(
        openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened;
    struct stat named;
    if (!stale.IsValid() || fstat(stale.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        flock(stale.Get(), LOCK_EX | LOCK_NB) != 0) {
      continue;
    }
    // Still the file that was locked, not one made since under its name.
    if (fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
      unlinkat(folder, entry->d_name, 0);
    }
  }
}

}  // namespace

CTemporaryFile::~CTemporaryFile() {
  if (!m_name.empty() && !m_kept) Remove();
}

HRESULT CTemporaryFile::Create(int folder, const std::string& folder_path, std::string_view name,
                               mode_t mode) {
  m_folder.Reset(fcntl(folder, F_DUPFD_CLOEXEC, 3));
  if (!m_folder.IsValid()) return StatusFromLastError();
  m_folderPath = folder_path;
  m_for = name;
  RemoveStaleTemporaries(folder, name);
  const std::string stem = TemporaryStem(name);
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string candidate = WithRandomEnd(stem);
    const int fd = openat(folder, candidate.c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0) {
      const HRESULT hr = StatusFromLastError();
      if (hr == HRESULT_FROM_WIN32(ERROR_FILE_EXISTS)) continue;
      return hr;
    }
    m_fd.Reset(fd);
    m_name = std::move(candidate);
    // Where the file system has no locks, no clean-up can take one either,
    // and what a dead run leaves there simply stays.
    flock(fd, LOCK_EX | LOCK_NB);
    m_cleanup.Set(m_folder.Get(), m_name);
    return S_OK;
  }
  return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
}

HRESULT CTemporaryFile::RenameOver(std::string_view name) {
  const std::string target(name);
  if (renameat(m_folder.Get(), m_name.c_str(), m_folder.Get(), target.c_str()) != 0) {
    return StatusFromLastError();
  }
  m_cleanup.Clear();
  m_name.clear();
  return S_OK;
}

HRESULT CTemporaryFile::LinkAs(std::string_view name) {
  const std::string target(name);
  if (linkat(m_folder.Get(), m_name.c_str(), m_folder.Get(), target.c_str(), 0) != 0) {
    return StatusFromLastError();
  }
  Remove();
  return S_OK;
}

void CTemporaryFile::Keep() {
  if (m_name.empty()) return;
  m_cleanup.Clear();
  m_kept = true;
  const std::string stem = NameStem("", m_for, kKeptInfix);
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string kept = WithRandomEnd(stem);
    if (linkat(m_folder.Get(), m_name.c_str(), m_folder.Get(), kept.c_str(), 0) == 0) {
      unlinkat(m_folder.Get(), m_name.c_str(), 0);
      m_name = std::move(kept);
      return;
    }
    if (StatusFromLastError() != HRESULT_FROM_WIN32(ERROR_FILE_EXISTS)) return;
  }
}

void CTemporaryFile::Remove() {
  if (m_name.empty()) return;
  m_cleanup.Clear();
  unlinkat(m_folder.Get(), m_name.c_str(), 0);
  m_name.clear();
}
