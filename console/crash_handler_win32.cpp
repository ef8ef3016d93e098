#include <windows.h>
// After windows.h, whose types they use.
#include <dbghelp.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "console/base_console.h"
#include "console/crash_handler.h"
#include "platform/path.h"
#include "platform/program_path.h"
#include "platform/standard_output.h"
#include "platform/text_encoding.h"

namespace {

#if defined(_M_X64) || defined(__x86_64__)
constexpr char kArchitecture[] = "x64";
#elif defined(_M_ARM64) || defined(__aarch64__)
constexpr char kArchitecture[] = "arm64";
#else
constexpr char kArchitecture[] = "x86";
#endif

constexpr UINT kExitAfterCrash = static_cast<UINT>(-1);

// Everything the filter needs, prepared when it is installed.
struct PreparedCrash {
  std::wstring folder;
  std::wstring name_prefix;
  std::string message_before;
  std::string message_after;
  const CBaseConsole* console = nullptr;
};

PreparedCrash g_crash;

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION,
                                                PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);

// Each level of the folder, created when missing.
bool MakeFolders(const std::wstring& folder) {
  for (size_t separator = folder.find(L'\\', 3);; separator = folder.find(L'\\', separator + 1)) {
    const std::wstring level = folder.substr(0, separator);
    if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
    if (separator == std::wstring::npos) return true;
  }
}

// "<folder>\<prefix>_YYYY-MM-DD_HHMMSS_mmm.dmp" in local time.
std::wstring DumpPath() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t time[40];
  std::swprintf(time, std::size(time), L"_%4u-%02u-%02u_%02u%02u%02u_%03u.dmp", now.wYear,
                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  return g_crash.folder + L"\\" + g_crash.name_prefix + time;
}

// dbghelp.dll is loaded only now, and only from the system folder.
bool WriteDump(HANDLE file, EXCEPTION_POINTERS* exception) {
  const HMODULE dbghelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (dbghelp == nullptr) return false;
  const auto write = reinterpret_cast<MiniDumpWriteDumpFunction>(
      reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
  MINIDUMP_EXCEPTION_INFORMATION information{GetCurrentThreadId(), exception, FALSE};
  const bool written = write != nullptr && write(GetCurrentProcess(), GetCurrentProcessId(), file,
                                                 MiniDumpNormal, &information, nullptr, nullptr);
  const DWORD error = GetLastError();
  FreeLibrary(dbghelp);
  SetLastError(error);
  return written;
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  if (g_crash.folder.empty() || !MakeFolders(g_crash.folder)) return EXCEPTION_CONTINUE_SEARCH;
  const std::wstring path = DumpPath();
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return EXCEPTION_CONTINUE_SEARCH;
  const bool written = WriteDump(file, exception) && FlushFileBuffers(file);
  if (!CloseHandle(file) || !written) {
    const DWORD error = GetLastError();
    DeleteFileW(path.c_str());
    SetLastError(error);
    return EXCEPTION_CONTINUE_SEARCH;
  }
  const CBaseConsole* console = g_crash.console;
  if (console != nullptr && console->GetDisplayLevel() >= kDisplayNormal) {
    WriteStandardStream(StandardStream::Error,
                        g_crash.message_before + WideToUtf8(path) + g_crash.message_after,
                        console->GetOutputMode());
  }
  // Nothing of the process runs again: its state is not to be trusted.
  // The system still closes its files, which deletes a save's temporary.
  TerminateProcess(GetCurrentProcess(), kExitAfterCrash);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

bool GetCrashReportSettings(CrashReportSettings* settings) {
  ProgramIdentity program;
  if (!GetProgramIdentity(&program)) return false;
  wchar_t local[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local))) {
    return false;
  }
  std::string folder = WideToUtf8(local);
  if (!program.company.empty()) folder += "\\" + program.company;
  settings->folder = folder + "\\" + program.product;
  const std::string path = GetProgramPath();
  settings->name_prefix =
      path.substr(FileNameOffset(path)) + "_" + program.numbers + "_" + kArchitecture;
  settings->program_version =
      program.product + " " + program.file_version + " (" + kArchitecture + ")";
  return true;
}

void InstallCrashHandler(const CrashReportSettings& settings) {
  g_crash.folder = Utf8ToWide(settings.folder);
  g_crash.name_prefix = Utf8ToWide(settings.name_prefix);
  SetUnhandledExceptionFilter(CrashFilter);
}

void SetCrashReportTarget(const CBaseConsole* console) {
  g_crash.console = nullptr;
  if (console == nullptr || !ComposeCrashMessage(&g_crash.message_before, &g_crash.message_after)) {
    return;
  }
  g_crash.console = console;
}
