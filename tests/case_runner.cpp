// Runs the whole-program cases under tests/cases: each folder that holds an
// "args" or a "run.sh" file is one case (tests/README.md describes them).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/test_temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTimeoutSeconds = 120;
// A run.sh that cannot set up what it needs here (a mount, a tool) exits
// with this code, and says why on standard output: the case is skipped.
constexpr int kSkipExitCode = 77;
constexpr char kBannerPlaceholder[] = "{banner}";
constexpr char kDescription[] = "Lightweight command-line updater for XML documents.";
constexpr char kSystemTextPlaceholder[] = "{system text}";

// The program under test and the system it is built for: this build's
// brindle, unless the environment names another. The Windows build runs
// brindle.exe under Wine, through a script that starts it
// (BRINDLE_PROGRAM), for the system "windows" (BRINDLE_SYSTEM).
std::string ProgramUnderTest() {
  const char* program = std::getenv("BRINDLE_PROGRAM");
  return program != nullptr ? program : BRINDLE_PROGRAM;
}

std::string SystemUnderTest() {
  const char* system = std::getenv("BRINDLE_SYSTEM");
  return system != nullptr ? system : "linux";
}

bool IsWindows() { return SystemUnderTest() == "windows"; }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t pos = text.find(from); pos != std::string::npos;
       pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
  return text;
}

// Removes the banner block that starts at the beginning of actual and puts
// "{banner}" in its place when it is a well-formed banner: lines up to the
// first blank line after the description line.
std::string MaskBanner(const std::string& actual) {
  const size_t description = actual.find(kDescription);
  if (description == std::string::npos) return actual;
  const size_t blank = actual.find("\n\n", description);
  if (blank == std::string::npos) return actual;
  // Title and copyright lines may stand around the description; nothing else.
  const std::string block = actual.substr(0, blank + 2);
  if (std::count(block.begin(), block.end(), '\n') > 5) return actual;
  return std::string(kBannerPlaceholder) + "\n" + actual.substr(blank + 2);
}

// What a Windows run prints, in the form the case files are written in:
// lines end in LF, and the work folder's Windows name (Wine shows the root
// as drive Z:) with the path that follows it, up to a blank, a quote or the
// end of the line, reads as the Linux path. So "Z:\tmp\...\work\a\b.xml"
// becomes "{dir}/a/b.xml" for the comparison.
std::string AsLinuxOutput(std::string out, const fs::path& work) {
  out = Replace(out, "\r\n", "\n");
  std::string windows_work = "Z:" + work.string();
  std::replace(windows_work.begin(), windows_work.end(), '/', '\\');
  for (size_t pos = out.find(windows_work); pos != std::string::npos;
       pos = out.find(windows_work, pos)) {
    out.replace(pos, windows_work.size(), work.string());
    for (pos += work.string().size();
         pos < out.size() && !std::isspace(out[pos]) && out[pos] != '"' && out[pos] != '\'';
         ++pos) {
      if (out[pos] == '\\') out[pos] = '/';
    }
  }
  return out;
}

// On Windows the system words its own statuses (FormatMessageW: in the
// user's language, and otherwise under Wine than on Windows), so their
// texts compare by number alone: in each line that ends in a status's
// number, " (2)" or " (0x80004005)", the text before it, from the line's
// start or its last ": ", becomes "{system text}". The program's own
// statuses (0x80BD....) keep their texts.
std::string MaskSystemTexts(const std::string& text) {
  std::string masked;
  for (const std::string& line : SplitLines(text)) {
    const size_t open = line.rfind(" (");
    const std::string number = open == std::string::npos || line.back() != ')'
                                   ? ""
                                   : line.substr(open + 2, line.size() - open - 3);
    const bool decimal =
        !number.empty() && number.find_first_not_of("0123456789") == std::string::npos;
    const bool status =
        number.size() == 10 && number.rfind("0x8", 0) == 0 && number.rfind("0x80BD", 0) != 0;
    if (decimal || status) {
      const size_t colon = line.rfind(": ", open);
      const size_t start = colon == std::string::npos ? 0 : colon + 2;
      masked += line.substr(0, start) + kSystemTextPlaceholder + line.substr(open);
    } else {
      masked += line;
    }
    masked += '\n';
  }
  if (!text.ends_with('\n') && !masked.empty()) masked.pop_back();
  return masked;
}

struct RunResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

RunResult RunCase(const fs::path& work, const std::vector<std::string>& argv,
                  const fs::path& home) {
  const std::string program = ProgramUnderTest();  // before the child clears the environment
  int out_pipe[2];
  int err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    const int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, 0);
    close(out_pipe[0]);
    close(err_pipe[0]);
    if (chdir(work.c_str()) != 0) _exit(127);
    clearenv();
    setenv("PATH", "/usr/local/bin:/usr/bin:/bin", 1);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("TMPDIR", (home / "tmp").c_str(), 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("TZ", "UTC", 1);
    setenv("BRINDLE", program.c_str(), 1);
    setenv("BRINDLE_MAKE_PE", BRINDLE_MAKE_PE, 1);
    setenv("BRINDLE_CASE_HELPERS", BRINDLE_CASE_HELPERS, 1);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  RunResult result;
  // Both pipes are drained together so that neither can fill and block.
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  const time_t deadline = time(nullptr) + kTimeoutSeconds;
  int open_fds = 2;
  while (open_fds > 0 && time(nullptr) < deadline) {
    if (poll(fds, 2, 1000) <= 0) continue;
    for (pollfd& fd : fds) {
      if (fd.fd < 0 || (fd.revents & (POLLIN | POLLHUP)) == 0) continue;
      char buffer[65536];
      const ssize_t n = read(fd.fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fd.fd);
        fd.fd = -1;
        --open_fds;
      } else {
        (fd.fd == out_pipe[0] ? result.out : result.err).append(buffer, static_cast<size_t>(n));
      }
    }
  }
  if (open_fds > 0) kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (open_fds > 0) result.err += "\n[timed out]";
  return result;
}

std::vector<std::string> Listing(const fs::path& root) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    names.push_back(entry.path().lexically_relative(root).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The folders that hold cases: the test cases, and the worked examples,
// which are cases too.
const fs::path kCaseRoots[] = {BRINDLE_CASES_DIR, BRINDLE_EXAMPLES_DIR};

std::vector<fs::path> FindCases() {
  std::vector<fs::path> cases;
  for (const fs::path& root : kCaseRoots) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.is_directory() &&
          (fs::exists(entry.path() / "args") || fs::exists(entry.path() / "run.sh"))) {
        cases.push_back(entry.path());
      }
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// "group/case" for a test case, "examples/name" for an example.
std::string CaseName(const fs::path& path) {
  const fs::path relative = path.lexically_relative(BRINDLE_CASES_DIR);
  std::string name = *relative.begin() != ".."
                         ? relative.string()
                         : "examples/" + path.lexically_relative(BRINDLE_EXAMPLES_DIR).string();
  for (char& c : name) {
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

// Wine itself fails now and then, under load: a program that never starts
// (nothing printed at all), or a lost connection to Wine's server (a "wine
// client error" line on standard error). Such a run says nothing about
// brindle.exe, so it is tried again from fresh folders; a fault of the
// program fails every try alike.
constexpr int kWindowsTries = 3;

bool WineFailed(const RunResult& result, int expected_exit) {
  const bool silent = result.out.empty() && result.err.empty() && result.exit_code != expected_exit;
  return silent || result.err.find("wine client error") != std::string::npos;
}

class CaseTest : public testing::TestWithParam<fs::path> {
 protected:
  void SetUp() override { MakeFolders(); }
  // Empty work and home folders, the case's input files in the work folder.
  void MakeFolders() {
    std::error_code ignored;
    fs::remove_all(m_work, ignored);
    fs::remove_all(m_home, ignored);
    fs::create_directories(m_work);
    fs::create_directories(m_home / "tmp");
    // Cases that drop privileges must still reach their folder.
    fs::permissions(m_root, fs::perms::all);
    fs::permissions(m_work, fs::perms::all);
    fs::permissions(m_home / "tmp", fs::perms::all);
    const fs::path& dir = GetParam();
    if (fs::exists(dir / "in")) fs::copy(dir / "in", m_work, fs::copy_options::recursive);
  }
  std::string Expand(const std::string& text) const {
    return Replace(text, "{dir}", m_work.string());
  }

  TestTempDir m_temp;
  const fs::path m_root = m_temp.Path();
  const fs::path m_work = m_root / "work";
  const fs::path m_home = m_root / "home";
};

TEST_P(CaseTest, Run) {
  const fs::path& dir = GetParam();
  // A case that is about one system says so in its "systems" file.
  if (fs::exists(dir / "systems")) {
    std::istringstream systems(ReadFile(dir / "systems"));
    const std::vector<std::string> names{std::istream_iterator<std::string>(systems), {}};
    if (std::find(names.begin(), names.end(), SystemUnderTest()) == names.end()) {
      GTEST_SKIP() << "a case for " << ReadFile(dir / "systems");
    }
  }
  std::vector<std::string> argv;
  if (fs::exists(dir / "run.sh")) {
    argv = {"/bin/bash", (dir / "run.sh").string()};
  } else {
    argv.push_back(ProgramUnderTest());
    for (const std::string& line : SplitLines(ReadFile(dir / "args"))) argv.push_back(Expand(line));
  }
  const int expected_exit = fs::exists(dir / "exit") ? std::stoi(ReadFile(dir / "exit")) : 0;
  RunResult result = RunCase(m_work, argv, m_home);
  for (int tries = 1; IsWindows() && tries < kWindowsTries && WineFailed(result, expected_exit);
       ++tries) {
    std::cerr << "Wine failed to run the case (exit " << result.exit_code << ", standard error \""
              << result.err << "\"): trying again\n";
    MakeFolders();
    result = RunCase(m_work, argv, m_home);
  }
  // Compares what is compared in text: on Windows, with the system's
  // wordings masked on both sides.
  const auto text = [this](const std::string& expected) {
    return IsWindows() ? MaskSystemTexts(Expand(expected)) : Expand(expected);
  };
  if (IsWindows()) {
    result.out = MaskSystemTexts(AsLinuxOutput(result.out, m_work));
    result.err = MaskSystemTexts(AsLinuxOutput(result.err, m_work));
  }

  if (fs::exists(dir / "run.sh") && result.exit_code == kSkipExitCode &&
      expected_exit != kSkipExitCode) {
    GTEST_SKIP() << result.out;
  }
  EXPECT_EQ(expected_exit, result.exit_code) << "output:\n" << result.out << result.err;
  if (fs::exists(dir / "stderr")) {
    EXPECT_EQ(text(ReadFile(dir / "stderr")), result.err);
  } else {
    EXPECT_EQ("", result.err) << "nothing may reach standard error";
  }
  if (fs::exists(dir / "stdout")) {
    const std::string expected = text(ReadFile(dir / "stdout"));
    const bool masked = expected.rfind(std::string(kBannerPlaceholder) + "\n", 0) == 0;
    EXPECT_EQ(expected, masked ? MaskBanner(result.out) : result.out);
  }
  // What the run printed, on either stream.
  const std::string printed = result.out + result.err;
  if (fs::exists(dir / "contains")) {
    for (const std::string& line : SplitLines(ReadFile(dir / "contains"))) {
      EXPECT_NE(std::string::npos, printed.find(text(line))) << "missing: " << line << "\n"
                                                             << printed;
    }
  }
  if (fs::exists(dir / "not_contains")) {
    for (const std::string& line : SplitLines(ReadFile(dir / "not_contains"))) {
      EXPECT_EQ(std::string::npos, printed.find(text(line))) << "present: " << line;
    }
  }
  if (fs::exists(dir / "out")) {
    for (const auto& entry : fs::recursive_directory_iterator(dir / "out")) {
      if (!entry.is_regular_file()) continue;
      const fs::path relative = entry.path().lexically_relative(dir / "out");
      ASSERT_TRUE(fs::exists(m_work / relative)) << relative;
      EXPECT_EQ(Expand(ReadFile(entry.path())), ReadFile(m_work / relative)) << relative;
    }
  }
  if (fs::exists(dir / "listing")) {
    std::string expected;
    for (const std::string& line : SplitLines(ReadFile(dir / "listing"))) expected += line + "\n";
    std::string actual;
    for (const std::string& name : Listing(m_work)) actual += name + "\n";
    EXPECT_EQ(expected, actual) << "files in the work folder after the run";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTest, testing::ValuesIn(FindCases()),
                         [](const testing::TestParamInfo<fs::path>& param) {
                           return CaseName(param.param);
                         });

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
