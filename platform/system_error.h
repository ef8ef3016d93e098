// The one place where the program meets the operating system's error
// numbers: errno values become statuses here and nowhere else.
#pragma once

#include "platform/status.h"

// Returns the status for an errno value: the matching Win32 code in facility 7
// (ENOENT 2, EACCES 5, ENOSPC 112, ...), else a status of facility
// FACILITY_ERRNO that keeps the number. Never returns success; 0 gives E_FAIL.
HRESULT StatusFromErrno(int error);

// StatusFromErrno(errno), for the call that just failed.
HRESULT StatusFromLastError();
