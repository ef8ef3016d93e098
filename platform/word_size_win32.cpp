#include <windows.h>

#include "platform/word_size.h"

bool IsNarrowProcessOnWideSystem() {
  // Looked up at run time: a system without it knows no WOW64.
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto is_wow64 =
      kernel == nullptr ? nullptr
                        : reinterpret_cast<IsWow64ProcessFunction>(
                              reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return is_wow64 != nullptr && is_wow64(GetCurrentProcess(), &wow64) && wow64;
}
