#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/crash_handler.h"
#include "platform/test_temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Runs a child process that installs the handler and then really faults,
// writing to a page it may not touch (a null pointer would be caught by the
// undefined-behaviour sanitizer before it faults).
int RunFaultingChild(const CrashReportSettings& settings) {
  const pid_t child = fork();
  if (child == 0) {
    InstallCrashHandler(settings);
    SetCrashReportTarget(nullptr);
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(page) = 1;
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

using CrashHandlerTest = TempDirTest;

TEST_F(CrashHandlerTest, AFaultWritesAReportAndExitsWith255) {
  const CrashReportSettings settings{m_dir / "company" / "product", "probe_1.2.3.4_x86_64",
                                     "probe 1.2.3.4"};
  const int status = RunFaultingChild(settings);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
  EXPECT_EQ(255, WEXITSTATUS(status));

  std::vector<fs::path> reports;
  for (const auto& entry : fs::directory_iterator(settings.folder)) reports.push_back(entry.path());
  ASSERT_EQ(1u, reports.size());
  const std::string name = reports[0].filename().string();
  EXPECT_EQ(0u, name.rfind("probe_1.2.3.4_x86_64_", 0)) << name;
  EXPECT_EQ(".dmp", reports[0].extension());
  std::ostringstream report;
  report << std::ifstream(reports[0]).rdbuf();
  EXPECT_EQ(0u, report.str().rfind("Crash report of probe 1.2.3.4\n\nSignal: 11 SIGSEGV", 0))
      << report.str().substr(0, 200);
  EXPECT_NE(std::string::npos, report.str().find("\nMemory map:\n"));
}

TEST_F(CrashHandlerTest, WithoutAReportTheSignalTakesItsCourse) {
  // A folder below a regular file can never be made.
  std::ofstream(m_dir / "file") << "x";
  const CrashReportSettings settings{m_dir / "file" / "product", "probe", "probe"};
  const int status = RunFaultingChild(settings);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(SIGSEGV, WTERMSIG(status));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(m_dir), {}));
}

}  // namespace
