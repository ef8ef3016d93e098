// The last line of defence: when the program faults (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT), a plain-text crash report is written into the
// per-user data folder, the user is told where it is, and the process ends
// with status 255.
//
// On Windows an exception that nothing handles reaches the process's
// unhandled-exception filter, which writes a minidump (MiniDumpWriteDump of
// dbghelp.dll, loaded from the system folder at that moment) into the
// per-user local application data folder, tells the user where it is and
// ends the process with status -1; when no dump can be written, no file is
// left and the exception takes the system's own course.
//
// A signal handler may only call async-signal-safe functions, so everything
// that can be prepared is prepared when the handler is installed: the
// folder, the file name's fixed part, the texts. The handler itself uses
// only mkdir, open, read, write, clock_gettime, backtrace and _exit. When no
// report can be written, no partial file is left and the signal takes its
// default course.
#pragma once

#include <string>

class CBaseConsole;

struct CrashReportSettings {
  // Where reports go: <data home>/<company>/<product>, the company left out
  // when empty. data_home is $XDG_DATA_HOME, else ~/.local/share; on
  // Windows the local application data folder (%LOCALAPPDATA%).
  std::string folder;
  // The file name's fixed part: "<program>_<a.b.c.d>_<architecture>"
  // (x86_64, or on Windows x64).
  std::string name_prefix;
  // The version line of a plain-text report.
  std::string program_version;
};

// Works out the settings from the environment and the program's own version
// record. False when the record names no product: then there is no folder
// and no report is written.
bool GetCrashReportSettings(CrashReportSettings* settings);

// Installs the handlers on an alternate signal stack. Call once, before
// anything else can fail.
void InstallCrashHandler(const CrashReportSettings& settings);

// Names the console that tells the user where the report went; its display
// level and output mode are read at the moment of the crash. nullptr: tell
// no one.
void SetCrashReportTarget(const CBaseConsole* console);

// Shared by the handlers of both systems (crash_handler.cpp).

// What the program's own version record says of it.
struct ProgramIdentity {
  std::string company;       // may be empty
  std::string product;       // never empty
  std::string numbers;       // the file version, "a.b.c.d"
  std::string file_version;  // the FileVersion text
};
// False when the record names no product.
bool GetProgramIdentity(ProgramIdentity* program);

// The crash message as the console prints it (labelled, with line ends),
// in two parts: before and after the report's path.
bool ComposeCrashMessage(std::string* before_path, std::string* after_path);
