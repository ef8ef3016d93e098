#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "platform/huge_pages.h"

namespace {

constexpr off_t kLargeFile = off_t{32} << 20;
constexpr std::string_view kTunable = "glibc.malloc.hugetlb";
constexpr char kSetting[] = "glibc.malloc.hugetlb=1";

bool NamesLargeFile(const char* argument) {
  struct stat status;
  return stat(argument, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= kLargeFile;
}

}  // namespace

void RestartWithHugePagesForLargeFiles(int argc, char** argv) {
  const char* tunables = getenv("GLIBC_TUNABLES");
  // Set by the user, or by our own restart: either way, decided.
  if (tunables != nullptr && std::string_view(tunables).find(kTunable) != std::string_view::npos) {
    return;
  }
  bool large = false;
  for (int i = 1; i < argc && !large; ++i) large = NamesLargeFile(argv[i]);
  if (!large) return;

  const bool had_tunables = tunables != nullptr;
  const std::string original = had_tunables ? tunables : "";
  const std::string setting = original.empty() ? kSetting : original + ":" + kSetting;
  if (setenv("GLIBC_TUNABLES", setting.c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // No /proc, say: go on as we are, and leave no trace in the environment.
  if (had_tunables) {
    setenv("GLIBC_TUNABLES", original.c_str(), 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
}
