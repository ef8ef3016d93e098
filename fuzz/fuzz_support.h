// Shared by the fuzz targets: a scratch folder of the process's own and the
// XML library started once. Scratch files live in memory (/dev/shm) when it
// is there, since every save flushes its file to disk.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "xml/xml_library.h"

namespace fuzz {

// The scratch folders that exist, removed when a check fails: the abort
// skips their destructors.
inline std::vector<std::string>& LiveScratchFolders() {
  static std::vector<std::string> folders;
  return folders;
}

// Ends the run the way libFuzzer reports a crash, with a reason; used where
// a target checks a promise that no sanitizer would see broken.
[[noreturn]] inline void Violation(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz target: %s\n%.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  for (const std::string& folder : LiveScratchFolders()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::abort();
}

class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                             : tmpdir != nullptr && *tmpdir != 0 ? tmpdir
                                                                 : "/tmp";
    std::string pattern = base + "/brindle-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Violation("cannot create a scratch folder", pattern);
    m_path = pattern;
    LiveScratchFolders().push_back(m_path);
  }
  ~ScratchFolder() {
    std::erase(LiveScratchFolders(), m_path);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string PathOf(std::string_view name) const { return m_path + "/" + std::string(name); }

  // Replaces the file name with bytes; returns its path.
  std::string Write(std::string_view name, const void* bytes, size_t size) const {
    const std::string path = PathOf(name);
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.IsValid() || FAILED(WriteAll(fd.Get(), bytes, size))) Violation("cannot write", path);
    return path;
  }

 private:
  std::string m_path;
};

// A file that lives in memory only, named by a path any open() accepts.
class MemoryFile {
 public:
  MemoryFile(const void* bytes, size_t size)
      : m_fd(memfd_create("brindle-fuzz", MFD_CLOEXEC)),
        m_path("/proc/self/fd/" + std::to_string(m_fd.Get())) {
    if (!m_fd.IsValid() || FAILED(WriteAll(m_fd.Get(), bytes, size))) {
      Violation("cannot create a memory file");
    }
  }
  const std::string& Path() const { return m_path; }

 private:
  UniqueFd m_fd;
  std::string m_path;
};

// The library stays initialised for the whole process, as in a real run.
inline void StartXmlLibrary() {
  static XmlLibrary library;
  if (FAILED(library.Initialize())) Violation("the XML library did not start");
}

}  // namespace fuzz
