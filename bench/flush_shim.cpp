// A library to preload (LD_PRELOAD) into a program under test, so that the
// benchmark can change how the program flushes its files without the
// program offering any such choice. Its environment decides:
//
//   BENCH_FLUSH=none        fsync, fdatasync, sync_file_range, syncfs and
//                           sync do nothing: the work without its flush
//   BENCH_FLUSH=fdatasync   fsync becomes fdatasync
//   BENCH_WRITEBACK=<bytes> the program's own sync_file_range calls do
//                           nothing; instead the write-back of a file
//                           starts after every <bytes> written to it
//                           through write(); 0 starts none, leaving the
//                           whole file to the final flush
//
// With neither set, every call goes through unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using WriteFunction = ssize_t (*)(int, const void*, size_t);
using CloseFunction = int (*)(int);
using FlushFunction = int (*)(int);
using RangeFunction = int (*)(int, off_t, off_t, unsigned int);

struct Settings {
  bool no_flush = false;
  bool data_only = false;
  // Whether the write-back is the shim's rather than the program's, and
  // its window in bytes (0: none at all).
  bool own_writeback = false;
  uint64_t window = 0;
};

Settings g_settings;
WriteFunction g_write = nullptr;
CloseFunction g_close = nullptr;
FlushFunction g_fsync = nullptr;
FlushFunction g_fdatasync = nullptr;
FlushFunction g_syncfs = nullptr;
void (*g_sync)() = nullptr;
RangeFunction g_sync_file_range = nullptr;

// Bytes written to each descriptor since its last write-back started.
// Descriptors beyond the table are written back only by the final flush.
constexpr int kTrackedDescriptors = 4096;
uint64_t g_pending[kTrackedDescriptors];

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Loaded on first use rather than by a constructor: another library's
// constructor may write before this library's runs.
void Load() {
  g_write = Next<WriteFunction>("write");
  g_close = Next<CloseFunction>("close");
  g_fsync = Next<FlushFunction>("fsync");
  g_fdatasync = Next<FlushFunction>("fdatasync");
  g_syncfs = Next<FlushFunction>("syncfs");
  g_sync = Next<void (*)()>("sync");
  g_sync_file_range = Next<RangeFunction>("sync_file_range");
  const char* flush = std::getenv("BENCH_FLUSH");
  if (flush != nullptr) {
    g_settings.no_flush = std::strcmp(flush, "none") == 0;
    g_settings.data_only = std::strcmp(flush, "fdatasync") == 0;
  }
  const char* window = std::getenv("BENCH_WRITEBACK");
  if (window != nullptr && window[0] != '\0') {
    g_settings.own_writeback = true;
    g_settings.window = std::strtoull(window, nullptr, 10);
  }
}

const Settings& Loaded() {
  static const bool loaded = (Load(), true);
  static_cast<void>(loaded);
  return g_settings;
}

void StartWriteback(int fd, size_t written) {
  if (fd < 0 || fd >= kTrackedDescriptors) return;
  g_pending[fd] += written;
  if (g_pending[fd] < g_settings.window) return;
  const off_t end = lseek(fd, 0, SEEK_CUR);
  // A pipe or terminal has no offset and nothing to write back.
  if (end >= 0) {
    const off_t length =
        static_cast<off_t>(g_pending[fd]) < end ? static_cast<off_t>(g_pending[fd]) : end;
    g_sync_file_range(fd, end - length, length, SYNC_FILE_RANGE_WRITE);
  }
  g_pending[fd] = 0;
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* data, size_t size) {
  const Settings& settings = Loaded();
  const ssize_t written = g_write(fd, data, size);
  if (written > 0 && settings.own_writeback && settings.window > 0 && !settings.no_flush) {
    StartWriteback(fd, static_cast<size_t>(written));
  }
  return written;
}

int close(int fd) {
  // A later file given the same number starts its count afresh.
  Loaded();
  if (fd >= 0 && fd < kTrackedDescriptors) g_pending[fd] = 0;
  return g_close(fd);
}

int fsync(int fd) {
  const Settings& settings = Loaded();
  if (settings.no_flush) return 0;
  return settings.data_only ? g_fdatasync(fd) : g_fsync(fd);
}

int fdatasync(int fd) { return Loaded().no_flush ? 0 : g_fdatasync(fd); }

int sync_file_range(int fd, off_t offset, off_t length, unsigned int flags) {
  const Settings& settings = Loaded();
  if (settings.no_flush || settings.own_writeback) return 0;
  return g_sync_file_range(fd, offset, length, flags);
}

int syncfs(int fd) { return Loaded().no_flush ? 0 : g_syncfs(fd); }

void sync() {
  if (!Loaded().no_flush) g_sync();
}

}  // extern "C"
