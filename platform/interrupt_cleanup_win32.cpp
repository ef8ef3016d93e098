#include <windows.h>

#include "platform/interrupt_cleanup.h"

namespace {

// Held by a save while it replaces the file; the console's interrupts wait
// for it.
SRWLOCK g_replacing = SRWLOCK_INIT;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD) {
  AcquireSRWLockExclusive(&g_replacing);
  // Not handled: the system's own handling ends the process. Whatever the
  // save wrote is deleted as its handle closes.
  return FALSE;
}

}  // namespace

void InstallInterruptCleanup() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

CDeferInterrupts::CDeferInterrupts() { AcquireSRWLockShared(&g_replacing); }

CDeferInterrupts::~CDeferInterrupts() { ReleaseSRWLockShared(&g_replacing); }
