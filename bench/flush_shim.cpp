// A library to preload (LD_PRELOAD) into a program under test, so that the
// benchmark can change how the program flushes its files without the
// program offering any such choice. Its environment decides:
//
//   BENCH_FLUSH=none        fsync, fdatasync, sync_file_range, syncfs and
//                           sync do nothing: the work without its flush
//
// Without it, every call goes through unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

using FlushFunction = int (*)(int);
using RangeFunction = int (*)(int, off_t, off_t, unsigned int);

struct Settings {
  bool no_flush = false;
};

Settings g_settings;
FlushFunction g_fsync = nullptr;
FlushFunction g_fdatasync = nullptr;
FlushFunction g_syncfs = nullptr;
void (*g_sync)() = nullptr;
RangeFunction g_sync_file_range = nullptr;

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Loaded on first use rather than by a constructor: another library's
// constructor may flush before this library's runs.
void Load() {
  g_fsync = Next<FlushFunction>("fsync");
  g_fdatasync = Next<FlushFunction>("fdatasync");
  g_syncfs = Next<FlushFunction>("syncfs");
  g_sync = Next<void (*)()>("sync");
  g_sync_file_range = Next<RangeFunction>("sync_file_range");
  const char* flush = std::getenv("BENCH_FLUSH");
  if (flush != nullptr) g_settings.no_flush = std::strcmp(flush, "none") == 0;
}

const Settings& Loaded() {
  static const bool loaded = (Load(), true);
  static_cast<void>(loaded);
  return g_settings;
}

}  // namespace

extern "C" {

int fsync(int fd) {
  return Loaded().no_flush ? 0 : g_fsync(fd);
}

int fdatasync(int fd) {
  return Loaded().no_flush ? 0 : g_fdatasync(fd);
}

int sync_file_range(int fd, off_t offset, off_t length, unsigned int flags) {
  return Loaded().no_flush ? 0 : g_sync_file_range(fd, offset, length, flags);
}

int syncfs(int fd) {
  return Loaded().no_flush ? 0 : g_syncfs(fd);
}

void sync() {
  if (!Loaded().no_flush) g_sync();
}

}  // extern "C"
