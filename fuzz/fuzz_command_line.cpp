// Fuzz target: the whole program from its command line. The input is the
// argument list after the program name, arguments separated by NUL bytes.
// The console's option parser reads it first, then RunProgram runs it in a
// scratch folder that is the working folder for the run and holds
// documents, description files, a Windows executable, a folder and a
// symbolic link, all put back before every run.
//
// RunProgram runs only when every path it may open or write (document,
// description file, output) resolves into the scratch folder, so nothing
// outside it is ever written; other command lines exercise the parser
// alone. The crash handler is not installed (no HOME, no XDG_DATA_HOME):
// libFuzzer's own handlers must see every fault.
//
// Beyond what the sanitizers catch:
// - the exit code is one the manual documents, and the one the stage that
//   ended the run calls for: 1 exactly when the parser reports the command
//   line, 4 or 5 exactly when the document can not be opened or parsed, 6
//   only with /batch, 7 only for a command-line update;
// - a run that does not end with 0 leaves every file as it was, with no
//   temporary file; a run that ends with 0 changed nothing but the output
//   (a symbolic link stays one), and a UTF-8 output loads again;
// - "/display none" prints nothing; otherwise a run that fails after the
//   command line prints an "ERROR: " line.
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/driver.h"
#include "fuzz/fuzz_support.h"
#include "platform/ascii_case.h"
#include "platform/test_pe_image.h"
#include "platform/text_encoding.h"

namespace {

// Arguments past this many are dropped: a longer command line reaches
// nothing that a shorter one does not.
constexpr size_t kMaxArguments = 64;

// $3 is a version, $4 a file in the folder whose facts are recorded (its
// name only, so that no file outside the folder is read).
constexpr char kChanges[] =
    "select node \"/settings/application\";\n"
    "set attribute version $3;\n"
    "var file = @FileName($4);\n"
    "add child text file @FullPath(file);\n"
    "add child text hash @Hash(file, \"SHA1\");\n"
    "add child text size @Size(file, \"KB\", 2);\n"
    "add child text written @LastWriteTime(file, \"yyyy-MM-dd\", \"HH:mm\");\n"
    "add child text product @VersionInfo(file, \"ProductName\");\n"
    "add child text fileversion @Version(file, \"#.#.#.#\");\n";

// Changes the document, then fails: nothing may be saved.
constexpr char kFailing[] =
    "select root;\n"
    "add child element partial;\n"
    "select node \"/settings/missing\";\n"
    "set node \"never\";\n";

constexpr char kLatin1[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<caf\xe9 "
    "name=\"cr\xe8me\">br\xfbl\xe9</caf\xe9>\n";

constexpr char kBroken[] = "<settings><unclosed></settings>\n";

struct FixedFile {
  const char* name;
  std::string_view content;
};

// One entry of the folder: its kind and content (a link's target).
struct Entry {
  std::filesystem::file_type type;
  std::string content;
  bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::string, Entry>;

// The console as the program has it, printing nothing: the target asks it
// what the command line means.
class QuietConsole final : public CConsole {
 protected:
  void Write(const std::string&, StandardStream) override {}
};

// One standard stream goes to a memory file while it lives.
class CapturedOutput {
 public:
  explicit CapturedOutput(int stream)
      : m_stream(stream),
        m_file(memfd_create("brindle-fuzz-output", MFD_CLOEXEC)),
        m_saved(dup(stream)) {
    if (!m_file.IsValid() || !m_saved.IsValid() || dup2(m_file.Get(), stream) < 0) {
      fuzz::Violation("cannot capture a standard stream");
    }
  }
  ~CapturedOutput() { Restore(); }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // Ends the capture; returns what was written.
  std::string Take() {
    Restore();
    return fuzz::ReadWholeFile("/proc/self/fd/" + std::to_string(m_file.Get()));
  }

 private:
  void Restore() {
    if (m_saved.IsValid()) dup2(m_saved.Get(), m_stream);
    m_saved.Reset();
  }

  int m_stream;
  UniqueFd m_file;
  UniqueFd m_saved;
};

class Fixture {
 public:
  Fixture() {
    // No crash handler, and names and times as in the whole-program cases.
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("TZ", "UTC", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    fuzz::DetachStandardInput();
    m_image =
        test_pe::Image(false, test_pe::Encode(test_pe::VersionRoot(
                                  0x00020001, 0x00000007, {{"ProductName", "Brindle Fuzz"}})));
    m_files = {{"doc.xml", fuzz::kSettingsDocument},
               {"changes.txt", kChanges},
               {"failing.txt", kFailing},
               {"latin1.xml", kLatin1},
               {"broken.xml", kBroken},
               {"app.exe", m_image},
               {"sub/doc.xml", fuzz::kSettingsDocument}};
  }

  const fuzz::ScratchFolder& Folder() const { return m_folder; }

  // Puts the folder back as every run finds it.
  void Reset() const {
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path())) {
      std::filesystem::remove_all(entry.path());
    }
    std::filesystem::create_directory(m_folder.PathOf("sub"));
    for (const FixedFile& file : m_files) m_folder.Write(file.name, file.content);
    std::filesystem::create_symlink("doc.xml", m_folder.PathOf("link.xml"));
  }

  // Whether a resolved path names the folder or something in it.
  bool Holds(const std::string& path) const {
    return path == m_folder.Path() || path.starts_with(m_folder.Path() + "/");
  }

  Snapshot Take() const {
    Snapshot snapshot;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_folder.Path())) {
      const std::filesystem::file_type type = entry.symlink_status().type();
      std::string content;
      if (type == std::filesystem::file_type::symlink) {
        content = std::filesystem::read_symlink(entry.path()).string();
      } else if (type == std::filesystem::file_type::regular) {
        content = fuzz::ReadWholeFile(entry.path().string());
      }
      snapshot[entry.path().lexically_relative(m_folder.Path()).string()] = {type, content};
    }
    return snapshot;
  }

 private:
  fuzz::ScratchFolder m_folder;
  std::string m_image;
  std::vector<FixedFile> m_files;
};

// The real path of path, or "" when nothing is there.
std::string RealPath(const std::string& path) {
  char real[PATH_MAX];
  return realpath(path.c_str(), real) != nullptr ? real : "";
}

// The exit code that opening the document calls for, 0 when it opens.
int OpenExpectation(const CConsole& console) {
  struct stat status;
  if (stat(console.DocumentPath().c_str(), &status) != 0) {
    return console.IsOptionSet(kOptionCreate) ? 0 : 4;
  }
  if (!S_ISREG(status.st_mode)) return 4;
  XmlLibrary library;
  if (FAILED(library.Initialize())) fuzz::Violation("the XML library did not start");
  CXmlFile document;
  const HRESULT loaded = document.Load(console.DocumentPath());
  return loaded == S_OK ? 0 : loaded == S_FALSE ? 5 : 4;
}

std::string Describe(const std::vector<std::string>& arguments, int code) {
  std::string text = "exit " + std::to_string(code) + ", arguments:";
  for (const std::string& argument : arguments) text += " [" + argument + "]";
  return text;
}

void CheckExitCode(const CConsole& console, bool reported, int open, int code,
                   const std::string& run) {
  if (reported || open != 0) {
    const int expected = reported ? 1 : open;
    if (code != expected) {
      fuzz::Violation("the exit code is not the failed stage's",
                      run + "; expected " + std::to_string(expected));
    }
    return;
  }
  const bool batch = console.IsOptionSet(kOptionBatch);
  const bool legal = code == 0 || code == 8 || (code == 6 && batch) ||
                     (code == 7 && !batch && !console.QueryString().empty());
  if (!legal) fuzz::Violation("an exit code that this run can not have", run);
}

void CheckFiles(const Fixture& fixture, const CConsole& console, const Snapshot& before,
                const Snapshot& after, int code, const std::string& run) {
  if (code != 0) {
    if (after != before) fuzz::Violation("a failed run changed the folder", run);
    return;
  }
  const std::string output = RealPath(console.OutputPath());
  if (output.empty()) fuzz::Violation("a run that saved left no output", run);
  // Every entry that leads to the output may have changed; nothing else.
  for (const auto& [name, entry] : after) {
    const auto old = before.find(name);
    if (RealPath(fixture.Folder().PathOf(name)) == output) {
      if (old != before.end() && old->second.type == std::filesystem::file_type::symlink &&
          entry != old->second) {
        fuzz::Violation("a save replaced a symbolic link", run + "; " + name);
      }
      continue;
    }
    if (old == before.end() || old->second != entry) {
      fuzz::Violation("a run changed a file that is not its output", run + "; " + name);
    }
  }
  for (const auto& [name, entry] : before) {
    if (!after.contains(name)) fuzz::Violation("a run removed a file", run + "; " + name);
  }
  // Another encoding may need the declaration the user asked to leave out.
  const bool utf8 =
      !console.IsOptionSet(kOptionEncoding) || LowerCaseAscii(console.Encoding()) == "utf-8";
  const bool created = !before.contains(std::filesystem::path(console.DocumentPath())
                                            .lexically_relative(fixture.Folder().Path())
                                            .string());
  if (utf8 && !created) {
    XmlLibrary library;
    if (FAILED(library.Initialize())) fuzz::Violation("the XML library did not start");
    CXmlFile saved;
    if (saved.Load(output) != S_OK) fuzz::Violation("a saved output does not load", run);
  }
}

void CheckOutput(const CConsole& console, std::string_view printed, int code,
                 const std::string& run) {
  if (console.GetDisplayLevel() == kDisplayNone) {
    if (!printed.empty()) fuzz::Violation("/display none printed", run);
    return;
  }
  if (printed.empty()) fuzz::Violation("a run printed nothing", run);
  if (code < 4) return;
  const std::string label = "ERROR: ";
  const std::string expected =
      console.GetOutputMode() == OutputMode::Utf16 ? Utf8ToUtf16Le(label) : label;
  if (printed.find(expected) == std::string_view::npos) {
    fuzz::Violation("a failed run printed no error", run);
  }
}

// Runs the program with arguments after checking that it touches nothing
// outside the folder; returns its exit code, or -1 when it did not run.
int RunAndCheck(const Fixture& fixture, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  std::string program = "brindle";
  std::vector<std::string> storage = arguments;
  argv.push_back(program.data());
  for (std::string& argument : storage) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size() - 1);

  fixture.Reset();
  const Snapshot before = fixture.Take();
  const fuzz::WorkingFolder here(fixture.Folder());
  QuietConsole console;
  console.ParseCommandLine(argc, argv.data());
  const bool reported = console.ReportCommandLine();
  int open = 0;
  if (!reported) {
    if (!fixture.Holds(console.DocumentPath()) || !fixture.Holds(console.OutputPath()) ||
        (console.IsOptionSet(kOptionBatch) && !fixture.Holds(console.DescriptionFilePath()))) {
      return -1;
    }
    open = OpenExpectation(console);
  }

  // Information goes to standard output and errors to standard error: the
  // checks read both.
  CapturedOutput captured_output(STDOUT_FILENO);
  CapturedOutput captured_errors(STDERR_FILENO);
  const int code = RunProgram(argc, argv.data());
  const std::string printed = captured_errors.Take() + captured_output.Take();
  const std::string run = Describe(arguments, code);

  CheckExitCode(console, reported, open, code, run);
  CheckFiles(fixture, console, before, fixture.Take(), code, run);
  CheckOutput(console, printed, code, run);
  return code;
}

// The fixed files work as the target means them to: a failure here means
// it no longer reaches what it exists for.
void Probe(const Fixture& fixture) {
  const struct {
    std::vector<std::string> arguments;
    int code;
  } probes[] = {
      {{"doc.xml", "changes.txt", "2.0", "app.exe", "/batch", "/display", "none"}, 0},
      {{"sub/../link.xml", "failing.txt", "/b", "/indent"}, 6},
      {{"doc.xml", "?/settings/@version", "3.0", "/output:sub/out.xml", "/en:latin1"}, 0},
      {{"new.xml", "/create", "/nodeclaration"}, 0},
      {{"broken.xml"}, 5},
  };
  for (const auto& probe : probes) {
    const int code = RunAndCheck(fixture, probe.arguments);
    if (code != probe.code) {
      fuzz::Violation("a probe run ended otherwise", Describe(probe.arguments, code));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Fixture fixture;
  static const bool probed = (Probe(fixture), true);
  (void)probed;

  std::vector<std::string> arguments;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t begin = 0;
  while (!input.empty() && begin <= input.size() && arguments.size() < kMaxArguments) {
    const size_t end = std::min(input.find('\0', begin), input.size());
    arguments.emplace_back(input.substr(begin, end - begin));
    begin = end + 1;
  }
  RunAndCheck(fixture, arguments);
  return 0;
}
