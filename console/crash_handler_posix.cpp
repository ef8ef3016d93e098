#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <unwind.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "console/base_console.h"
#include "console/crash_handler.h"
#include "platform/interrupt_cleanup.h"
#include "platform/program_path.h"

namespace {

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kExitAfterCrash = 255;
constexpr size_t kMaxPath = 4096;
constexpr size_t kMaxText = 1024;
constexpr int kMaxFrames = 64;

#if defined(__x86_64__)
constexpr char kArchitecture[] = "x86_64";
#elif defined(__i386__)
constexpr char kArchitecture[] = "x86";
#elif defined(__aarch64__)
constexpr char kArchitecture[] = "aarch64";
#else
constexpr char kArchitecture[] = "unknown";
#endif

// Everything the handler needs, prepared when it is installed: fixed
// buffers only, since the handler may not allocate.
struct PreparedCrash {
  char folder[kMaxPath];
  char name_prefix[kMaxPath];
  char header[kMaxText];          // the report's first lines
  char message_before[kMaxText];  // the user's message up to the path
  char message_after[kMaxText];
  long utc_offset_seconds;
  const CBaseConsole* console;
};

PreparedCrash g_crash;
alignas(16) char g_alternate_stack[64 * 1024];

bool CopyText(const std::string& text, char* buffer, size_t size) {
  if (text.size() >= size) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

// --- Async-signal-safe helpers: no allocation, no locks, no stdio. ---

class Line {
 public:
  Line(char* buffer, size_t size) : m_buffer(buffer), m_size(size) { m_buffer[0] = 0; }
  Line& Add(const char* text) {
    while (*text != 0 && m_length + 1 < m_size) m_buffer[m_length++] = *text++;
    m_buffer[m_length] = 0;
    return *this;
  }
  Line& Number(unsigned long value, int width = 1, int base = 10) {
    char digits[32];
    int count = 0;
    do {
      digits[count++] = "0123456789abcdef"[value % static_cast<unsigned>(base)];
      value /= static_cast<unsigned>(base);
    } while (value != 0 && count < 32);
    while (count < width && count < 32) digits[count++] = '0';
    char text[33];
    for (int i = 0; i < count; ++i) text[i] = digits[count - 1 - i];
    text[count] = 0;
    return Add(text);
  }
  const char* Text() const { return m_buffer; }
  size_t Length() const { return m_length; }

 private:
  char* m_buffer;
  size_t m_size;
  size_t m_length = 0;
};

bool WriteText(int fd, const char* text, size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, text, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

bool WriteString(int fd, const char* text) { return WriteText(fd, text, std::strlen(text)); }

// Writes UTF-8 text to standard error, where every error goes, in the
// console's output mode.
void WriteToConsole(const char* text, OutputMode mode) {
  if (mode != OutputMode::Utf16) {
    WriteString(STDERR_FILENO, text);
    return;
  }
  char units[4];
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
    uint32_t c = *p++;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= more == 3 ? 0x07u : more == 2 ? 0x0Fu : more == 1 ? 0x1Fu : 0x7Fu;
    for (; more > 0 && (*p & 0xC0) == 0x80; --more) c = (c << 6) | (*p++ & 0x3Fu);
    if (c >= 0x10000) {
      c -= 0x10000;
      const uint32_t high = 0xD800 + (c >> 10), low = 0xDC00 + (c & 0x3FF);
      units[0] = static_cast<char>(high), units[1] = static_cast<char>(high >> 8);
      units[2] = static_cast<char>(low), units[3] = static_cast<char>(low >> 8);
      WriteText(STDERR_FILENO, units, 4);
    } else {
      units[0] = static_cast<char>(c), units[1] = static_cast<char>(c >> 8);
      WriteText(STDERR_FILENO, units, 2);
    }
  }
}

// The civil date of a day count since 1970-01-01.
void CivilFromDays(long days, long* year, unsigned* month, unsigned* day) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned month_index = (5 * day_of_year + 2) / 153;
  *day = day_of_year - (153 * month_index + 2) / 5 + 1;
  *month = month_index < 10 ? month_index + 3 : month_index - 9;
  *year = static_cast<long>(year_of_era) + era * 400 + (*month <= 2 ? 1 : 0);
}

// "<folder>/<prefix>_YYYY-MM-DD_HHMMSS_mmm.dmp" in local time.
void BuildReportPath(Line* path) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const long local = static_cast<long>(now.tv_sec) + g_crash.utc_offset_seconds;
  const long days = (local >= 0 ? local : local - 86399) / 86400;
  const long seconds = local - days * 86400;
  long year;
  unsigned month, day;
  CivilFromDays(days, &year, &month, &day);
  path->Add(g_crash.folder).Add("/").Add(g_crash.name_prefix).Add("_");
  path->Number(static_cast<unsigned long>(year), 4)
      .Add("-")
      .Number(month, 2)
      .Add("-")
      .Number(day, 2);
  path->Add("_").Number(static_cast<unsigned long>(seconds / 3600), 2);
  path->Number(static_cast<unsigned long>(seconds / 60 % 60), 2);
  path->Number(static_cast<unsigned long>(seconds % 60), 2);
  path->Add("_").Number(static_cast<unsigned long>(now.tv_nsec / 1000000), 3).Add(".dmp");
}

const char* SignalName(int signal_number) {
  switch (signal_number) {
    case SIGSEGV:
      return "SIGSEGV (invalid memory reference)";
    case SIGBUS:
      return "SIGBUS (bus error)";
    case SIGFPE:
      return "SIGFPE (arithmetic exception)";
    case SIGILL:
      return "SIGILL (illegal instruction)";
    case SIGABRT:
      return "SIGABRT (abort)";
    default:
      return "unknown signal";
  }
}

bool CopyFileInto(const char* path, int out) {
  const int in = open(path, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  char buffer[4096];
  bool ok = true;
  for (ssize_t n; ok && (n = read(in, buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      ok = errno == EINTR;
      continue;
    }
    ok = WriteText(out, buffer, static_cast<size_t>(n));
  }
  close(in);
  return ok;
}

struct Frames {
  void* addresses[kMaxFrames];
  int count = 0;
};

_Unwind_Reason_Code AddFrame(_Unwind_Context* context, void* frames_pointer) {
  auto* frames = static_cast<Frames*>(frames_pointer);
  const uintptr_t address = _Unwind_GetIP(context);
  if (address == 0 || frames->count == kMaxFrames) return _URC_END_OF_STACK;
  frames->addresses[frames->count++] = reinterpret_cast<void*>(address);
  return _URC_NO_REASON;
}

bool WriteReport(int fd, int signal_number, const siginfo_t* info) {
  char buffer[256];
  Line line(buffer, sizeof buffer);
  line.Add("Signal: ").Number(static_cast<unsigned long>(signal_number)).Add(" ");
  line.Add(SignalName(signal_number)).Add("\nFault address: 0x");
  line.Number(reinterpret_cast<unsigned long>(info != nullptr ? info->si_addr : nullptr), 1, 16);
  line.Add("\nProcess: ").Number(static_cast<unsigned long>(getpid())).Add("\n\nBacktrace:\n");
  if (!WriteString(fd, g_crash.header) || !WriteText(fd, line.Text(), line.Length())) return false;
  // The unwinder is called directly: glibc's backtrace() would load
  // libgcc_s on its first call, which is not safe in a signal handler, and
  // loading it ahead of time costs every run a library it does not need.
  Frames frames;
  _Unwind_Backtrace(AddFrame, &frames);
  backtrace_symbols_fd(frames.addresses, frames.count, fd);
  return WriteString(fd, "\nMemory map:\n") && CopyFileInto("/proc/self/maps", fd);
}

bool MakeFolders(char* folder) {
  // Each level of the folder, created when missing.
  for (char* slash = std::strchr(folder + 1, '/');; slash = std::strchr(slash + 1, '/')) {
    if (slash != nullptr) *slash = 0;
    const bool made = mkdir(folder, 0700) == 0 || errno == EEXIST;
    if (slash != nullptr) *slash = '/';
    if (!made) return false;
    if (slash == nullptr) return true;
  }
}

void OnCrash(int signal_number, siginfo_t* info, void*) {
  // What a save was writing goes first: the report may not get far.
  RemoveRegisteredFiles();
  char path_buffer[kMaxPath + 64];
  Line path(path_buffer, sizeof path_buffer);
  BuildReportPath(&path);
  int fd = -1;
  if (MakeFolders(g_crash.folder)) {
    fd = open(path.Text(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  }
  if (fd >= 0) {
    const bool written = WriteReport(fd, signal_number, info) && fsync(fd) == 0;
    if (close(fd) == 0 && written) {
      const CBaseConsole* console = g_crash.console;
      if (console != nullptr && console->GetDisplayLevel() >= kDisplayNormal) {
        WriteToConsole(g_crash.message_before, console->GetOutputMode());
        WriteToConsole(path.Text(), console->GetOutputMode());
        WriteToConsole(g_crash.message_after, console->GetOutputMode());
      }
      _exit(kExitAfterCrash);
    }
    unlink(path.Text());
  }
  // No report: the signal takes its default course once the handler
  // returns (a fault repeats; an abort raises again).
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

}  // namespace

bool GetCrashReportSettings(CrashReportSettings* settings) {
  ProgramIdentity program;
  if (!GetProgramIdentity(&program)) return false;
  const char* data_home = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string folder;
  if (data_home != nullptr && data_home[0] == '/') {
    folder = data_home;
  } else if (home != nullptr && home[0] == '/') {
    folder = std::string(home) + "/.local/share";
  } else {
    return false;
  }
  if (!program.company.empty()) folder += "/" + program.company;
  settings->folder = folder + "/" + program.product;

  std::string name = GetProgramPath();
  name.erase(0, name.rfind('/') + 1);
  settings->name_prefix = name + "_" + program.numbers + "_" + kArchitecture;
  settings->program_version =
      program.product + " " + program.file_version + " (" + kArchitecture + ")";
  return true;
}

void InstallCrashHandler(const CrashReportSettings& settings) {
  if (!CopyText(settings.folder, g_crash.folder, sizeof g_crash.folder) ||
      !CopyText(settings.name_prefix, g_crash.name_prefix, sizeof g_crash.name_prefix) ||
      !CopyText("Crash report of " + settings.program_version + "\n\n", g_crash.header,
                sizeof g_crash.header)) {
    return;
  }
  const time_t now = time(nullptr);
  tm local;
  g_crash.utc_offset_seconds = localtime_r(&now, &local) != nullptr ? local.tm_gmtoff : 0;
  stack_t stack{};
  stack.ss_sp = g_alternate_stack;
  stack.ss_size = sizeof g_alternate_stack;
  sigaltstack(&stack, nullptr);
  struct sigaction action {};
  action.sa_sigaction = OnCrash;
  action.sa_flags = static_cast<int>(SA_SIGINFO | SA_ONSTACK | SA_RESETHAND);
  sigemptyset(&action.sa_mask);
  for (int signal_number : kCrashSignals) sigaction(signal_number, &action, nullptr);
}

void SetCrashReportTarget(const CBaseConsole* console) {
  g_crash.console = nullptr;
  std::string before;
  std::string after;
  if (console == nullptr || !ComposeCrashMessage(&before, &after) ||
      !CopyText(before, g_crash.message_before, sizeof g_crash.message_before) ||
      !CopyText(after, g_crash.message_after, sizeof g_crash.message_after)) {
    return;
  }
  g_crash.console = console;
}
