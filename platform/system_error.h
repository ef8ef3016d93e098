// The one place where the program meets the operating system's error
// numbers: errno values, or Windows' last-error codes, become statuses here
// and nowhere else.
#pragma once

#include "platform/status.h"

#ifndef _WIN32
// Returns the status for an errno value: the matching Win32 code in facility 7
// (ENOENT 2, EACCES 5, ENOSPC 112, ...), else a status of facility
// FACILITY_ERRNO that keeps the number. Never returns success; 0 gives E_FAIL.
HRESULT StatusFromErrno(int error);
#endif

// The status of the system call that just failed: StatusFromErrno(errno),
// or on Windows HRESULT_FROM_WIN32(GetLastError()). Never returns success;
// a failure that left no error code gives E_FAIL.
HRESULT StatusFromLastError();
