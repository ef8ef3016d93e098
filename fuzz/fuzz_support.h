// Shared by the fuzz targets: a scratch folder of the process's own, the
// working folder a run may move into, the XML library, and the checks that
// more than one target makes. Scratch files live in memory (/dev/shm) when
// it is there, since every save flushes its file to disk.
//
// Targets that move into their scratch folder change the process's working
// folder while an input runs: give libFuzzer absolute paths for the corpus
// and -artifact_prefix (the Makefile does), or what it writes on a crash in
// the middle of a run lands in the scratch folder.
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

#include "app/app_console.h"
#include "platform/file.h"
#include "platform/status_text.h"
#include "xml/xml_file.h"
#include "xml/xml_library.h"

namespace fuzz {

// A settings document of the kind the program is made for: a DTD with an
// entity, namespaces, a comment, a processing instruction, CDATA and
// preserved blanks. Over 1 KB, so that a MaxXMLSize of 1 refuses it.
constexpr char kSettingsDocument[] =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE settings [<!ENTITY product \"brindle\">]>\n"
    "<settings xmlns:x=\"urn:example:x\" version=\"1.0\">\n"
    "  <application name=\"&product;\" x:mode=\"release\">\n"
    "    <path>/srv/app</path>\n"
    "    <!-- the port may change -->\n"
    "    <port>8080</port>\n"
    "    <?reload after=\"5s\"?>\n"
    "  </application>\n"
    "  <database><server>db.example.internal</server><![CDATA[a < b]]></database>\n"
    "  <features xml:space=\"preserve\"> <feature id=\"1\"/> </features>\n"
    "  <x:extra>&product; extra</x:extra>\n"
    "  <limits>\n"
    "    <limit name=\"connections\" value=\"100\">Connections per host</limit>\n"
    "    <limit name=\"requests\" value=\"2000\">Requests per minute</limit>\n"
    "    <limit name=\"upload\" value=\"10485760\">Largest upload in bytes</limit>\n"
    "    <limit name=\"sessions\" value=\"500\">Open sessions</limit>\n"
    "    <limit name=\"timeout\" value=\"30\">Seconds before a request fails</limit>\n"
    "    <limit name=\"retries\" value=\"3\">Attempts before giving up</limit>\n"
    "    <limit name=\"queue\" value=\"64\">Waiting requests per worker</limit>\n"
    "    <limit name=\"workers\" value=\"8\">Worker threads</limit>\n"
    "    <limit name=\"cache\" value=\"268435456\">Cache size in bytes</limit>\n"
    "    <limit name=\"log\" value=\"7\">Days of logs kept</limit>\n"
    "  </limits>\n"
    "</settings>\n";

// The scratch folders that exist, removed when a check fails: the abort
// skips their destructors.
inline std::vector<std::string>& LiveScratchFolders() {
  static std::vector<std::string> folders;
  return folders;
}

// The working folder the process started in, held open so that a run can
// always return to it.
inline int StartingFolder() {
  static const UniqueFd folder(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return folder.Get();
}

// Ends the run the way libFuzzer reports a crash, with a reason; used where
// a target checks a promise that no sanitizer would see broken.
[[noreturn]] inline void Violation(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz target: %s\n%.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  // libFuzzer writes the crashing input relative to the working folder.
  (void)fchdir(StartingFolder());
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
    const std::string base = access("/dev/shm", W_OK) == 0       ? "/dev/shm"
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

  const std::string& Path() const { return m_path; }
  std::string PathOf(std::string_view name) const { return m_path + "/" + std::string(name); }

  // Replaces the file name with bytes; returns its path.
  std::string Write(std::string_view name, const void* bytes, size_t size) const {
    const std::string path = PathOf(name);
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.IsValid() || FAILED(WriteAll(fd.Get(), bytes, size))) Violation("cannot write", path);
    return path;
  }
  std::string Write(std::string_view name, std::string_view text) const {
    return Write(name, text.data(), text.size());
  }

 private:
  std::string m_path;
};

// Makes folder the working folder for as long as it lives, so that the
// relative paths of a run name files of the scratch folder.
class WorkingFolder {
 public:
  explicit WorkingFolder(const ScratchFolder& folder) {
    StartingFolder();
    if (chdir(folder.Path().c_str()) != 0) Violation("cannot enter", folder.Path());
  }
  ~WorkingFolder() { (void)fchdir(StartingFolder()); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;
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

// The whole content of a file; a file the target itself wrote must be there.
inline std::string ReadWholeFile(const std::string& path) {
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.IsValid()) Violation("cannot open", path);
  std::string bytes;
  char buffer[65536];
  HRESULT status = S_OK;
  long count;
  while ((count = ReadSome(fd.Get(), buffer, sizeof buffer, &status)) > 0) {
    bytes.append(buffer, static_cast<size_t>(count));
  }
  if (count < 0) Violation("cannot read", path);
  return bytes;
}

// Reading standard input would wait for a terminal: scripts may name it.
inline void DetachStandardInput() {
  const UniqueFd null(open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (!null.IsValid() || dup2(null.Get(), STDIN_FILENO) < 0) Violation("cannot detach stdin");
}

// The library stays initialised for the whole process, as in a real run.
// Not for targets that run the whole program, whose every run cleans the
// library up when it ends.
inline void StartXmlLibrary() {
  static XmlLibrary library;
  if (FAILED(library.Initialize())) Violation("the XML library did not start");
}

// The program's own test for where the arguments that scripts see as $1,
// $2, ... end.
inline bool IsProgramOption(std::string_view argument) {
  static const CConsole console;
  return console.IsOptionArgument(argument);
}

// Every failure a user is shown comes with a text that says what failed.
inline void CheckHasText(HRESULT status, const char* what) {
  std::string text;
  if (!GetSystemText(status, &text)) {
    Violation(what, "a failure status without a text: " + std::to_string(status));
  }
}

// Violation unless the two byte strings are equal; the detail shows where
// they part.
inline void CheckSameBytes(const char* what, std::string_view expected, std::string_view actual) {
  if (expected == actual) return;
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const size_t from = at > 40 ? at - 40 : 0;
  Violation(what, "first difference at byte " + std::to_string(at) +
                      "\nexpected: " + std::string(expected.substr(from, 120)) +
                      "\nactual:   " + std::string(actual.substr(from, 120)));
}

// What loading a saved document gives back.
struct Reload {
  HRESULT status;      // of Load
  std::string report;  // the parse error report when status is S_FALSE
  std::string saved;   // the reloaded document saved as the original was
};

// Loads the file at path and, when it loads, saves it again to again_path
// in the same encoding and flags, which must succeed.
inline Reload LoadAndSaveAgain(const std::string& path, const std::string& again_path,
                               std::string_view encoding, SaveFlags flags) {
  Reload reload;
  CXmlFile document;
  reload.status = document.Load(path);
  if (reload.status == S_FALSE) document.GetParseErrorText(&reload.report);
  if (reload.status != S_OK) return reload;
  const HRESULT saved = document.Save(again_path, encoding, flags);
  if (saved != S_OK) Violation("a reloaded document does not save again", std::to_string(saved));
  reload.saved = ReadWholeFile(again_path);
  return reload;
}

}  // namespace fuzz
