// Runs one command and prints its wall-clock time in seconds, its peak
// resident memory in kilobytes, its exit status and its processor time
// (user plus system) in seconds:
//
//   measure [-i <stdin-file>] [-o <stdout-file>] [-s <file>] [-w <MiB>]
//           [-e <name>=<value>]... -- <program> [<argument>...]
//
// The command runs without a shell, so that a peer's time holds no shell
// start-up; -i and -o stand for the shell's redirections. Standard output
// goes to /dev/null unless -o names a file; standard error is kept. -s
// flushes the file to disk once the command has succeeded, inside the
// timed span, as "command && sync <file>" would: a peer that does not
// flush is made as durable as a program that does. -e sets a variable in
// the command's environment (LD_PRELOAD for the flush shim, say) without
// the extra process that "env" would add to the timed span.
//
// -w touches that much fresh memory, in huge pages, and frees it again
// before the timer starts. On a virtual machine whose host takes back the
// memory the guest has left free for a second or two, a program that needs
// hundreds of megabytes runs up to twice as long when it starts after a
// long run (its memory comes back from the host, page by page) as when it
// starts right after one that freed as much: without the warm-up a row's
// figures depend on which program happens to run before which.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

int Usage() {
  std::fputs(
      "usage: measure [-i <stdin-file>] [-o <stdout-file>] [-s <file>] [-w <MiB>] "
      "[-e <name>=<value>]... -- <program> [<argument>...]\n",
      stderr);
  return 2;
}

// In the child: replaces descriptor target by path opened with flags.
bool Redirect(const char* path, int flags, int target) {
  const int fd = open(path, flags, 0666);
  if (fd < 0 || dup2(fd, target) < 0) return false;
  close(fd);
  return true;
}

// What "sync <file>" does: the file's data and metadata to disk.
bool Flush(const char* path) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  const bool flushed = fsync(fd) == 0;
  close(fd);
  return flushed;
}

// Leaves mebibytes of memory backed by the host and free in the guest.
bool WarmUp(size_t mebibytes) {
  const size_t size = mebibytes << 20;
  if (size == 0) return true;
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return false;
  madvise(memory, size, MADV_HUGEPAGE);
  auto* bytes = static_cast<volatile char*>(memory);
  for (size_t offset = 0; offset < size; offset += 4096) bytes[offset] = 1;
  munmap(memory, size);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* input = nullptr;
  const char* output = "/dev/null";
  const char* flushed = nullptr;
  size_t warm_up = 0;
  int first = 1;
  for (; first + 1 < argc; first += 2) {
    const std::string_view flag = argv[first];
    if (flag == "-i") {
      input = argv[first + 1];
    } else if (flag == "-o") {
      output = argv[first + 1];
    } else if (flag == "-s") {
      flushed = argv[first + 1];
    } else if (flag == "-w") {
      warm_up = std::strtoull(argv[first + 1], nullptr, 10);
    } else if (flag == "-e") {
      // Set here, before the timer starts: the child inherits it.
      if (std::strchr(argv[first + 1], '=') == nullptr || putenv(argv[first + 1]) != 0) {
        return Usage();
      }
    } else {
      break;
    }
  }
  if (first >= argc || std::string_view(argv[first]) != "--" || first + 1 >= argc) return Usage();
  char** command = argv + first + 1;
  if (!WarmUp(warm_up)) {
    std::perror("warm-up");
    return 1;
  }

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    return 1;
  }
  if (child == 0) {
    if ((input != nullptr && !Redirect(input, O_RDONLY, STDIN_FILENO)) ||
        !Redirect(output, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO)) {
      std::perror("redirect");
      _exit(126);
    }
    execvp(command[0], command);
    std::perror(command[0]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) {
    std::perror("wait4");
    return 1;
  }
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (code == 0 && flushed != nullptr && !Flush(flushed)) {
    std::perror(flushed);
    code = 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto seconds_of = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  const double processor = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
  std::printf("%.6f %ld %d %.6f\n", seconds, usage.ru_maxrss, code, processor);
  return 0;
}
