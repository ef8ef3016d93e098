#include <windows.h>

#include "platform/system_error.h"

HRESULT StatusFromLastError() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}
