// The 32-bit status type that every fallible operation returns, and every
// status value the program can produce.
//
// The model is the HRESULT convention: 0 is success, 1 (S_FALSE) is the
// program's "did not apply" outcome (a document that does not parse, a
// selection that finds nothing, a script error already described), and a
// negative value is a failure that callers pass up unchanged. Operating
// system errors are expressed as Win32 codes in facility 7 so that the
// messages and exit codes stay those users already know from the tool.
#pragma once

#include <cstdint>

#ifdef _WIN32
// Windows defines the status type, the Win32 error codes and the common
// statuses itself (winerror.h), as macros with exactly the values below; the
// program takes the system's definitions, so that its own code and the
// Windows headers can meet in one file, and defines only what the system
// lacks. HRESULT is declared as winnt.h declares it.
#include <_mingw.h>
#ifndef _HRESULT_DEFINED
#define _HRESULT_DEFINED
typedef long HRESULT;
#endif
#include <winerror.h>
#else
using HRESULT = int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr uint32_t FACILITY_WIN32 = 7;
#endif

// Statuses of this program's own: the XML layer, the script engine, and
// operating-system errors that have no Win32 counterpart.
constexpr uint32_t FACILITY_BRINDLE = 0xBD;
constexpr uint32_t FACILITY_ERRNO = 0xBE;

constexpr HRESULT MakeFailure(uint32_t facility, uint32_t code) {
  return static_cast<HRESULT>(0x80000000u | (facility << 16) | (code & 0xFFFFu));
}
constexpr uint32_t StatusFacility(HRESULT hr) {
  return (static_cast<uint32_t>(hr) & 0x1FFF0000u) >> 16;
}
constexpr uint32_t StatusCode(HRESULT hr) { return static_cast<uint32_t>(hr) & 0xFFFFu; }

#ifndef _WIN32
constexpr HRESULT HRESULT_FROM_WIN32(uint32_t code) {
  return code == 0 ? 0 : MakeFailure(FACILITY_WIN32, code);
}

// Win32 error codes this program produces.
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr uint32_t ERROR_BAD_FORMAT = 11;
constexpr uint32_t ERROR_INVALID_DATA = 13;
constexpr uint32_t ERROR_OUTOFMEMORY = 14;
constexpr uint32_t ERROR_NOT_SAME_DEVICE = 17;
constexpr uint32_t ERROR_WRITE_PROTECT = 19;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_HANDLE_EOF = 38;
constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr uint32_t ERROR_FILE_EXISTS = 80;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_BROKEN_PIPE = 109;
constexpr uint32_t ERROR_DISK_FULL = 112;
constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
constexpr uint32_t ERROR_SEEK_ON_DEVICE = 132;
constexpr uint32_t ERROR_DIR_NOT_EMPTY = 145;
constexpr uint32_t ERROR_BUSY = 170;
constexpr uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr uint32_t ERROR_FILE_TOO_LARGE = 223;
constexpr uint32_t ERROR_NO_MORE_ITEMS = 259;
constexpr uint32_t ERROR_IO_DEVICE = 1117;
constexpr uint32_t ERROR_DISK_QUOTA_EXCEEDED = 1295;
constexpr uint32_t ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr uint32_t ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;
constexpr uint32_t ERROR_INVALID_STATE = 5023;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_HANDLE = HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
constexpr HRESULT E_OUTOFMEMORY = HRESULT_FROM_WIN32(ERROR_OUTOFMEMORY);
constexpr HRESULT E_INVALIDARG = HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
#elif !defined(ERROR_DISK_QUOTA_EXCEEDED)
// mingw-w64's winerror.h lacks this one.
constexpr uint32_t ERROR_DISK_QUOTA_EXCEEDED = 1295;
#endif

// Win32 codes and statuses under names of the program's own.
constexpr uint32_t ERROR_RPC_S_ZERO_DIVIDE = 1767;  // RPC_S_ZERO_DIVIDE
constexpr HRESULT E_FILE_NOT_FOUND = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
constexpr HRESULT E_ACCESS_DENIED = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
constexpr HRESULT E_ZERO_DIVIDE = HRESULT_FROM_WIN32(ERROR_RPC_S_ZERO_DIVIDE);

// The program's own statuses. A number once given is never given again, so
// that one printed after a message always means the same failure.

// The XML layer's own statuses.
constexpr HRESULT XML_E_LIBRARY_MISMATCH = MakeFailure(FACILITY_BRINDLE, 0x101);
constexpr HRESULT XML_E_UNSUPPORTED_ENCODING = MakeFailure(FACILITY_BRINDLE, 0x102);
constexpr HRESULT XML_E_WRITE_FAILED = MakeFailure(FACILITY_BRINDLE, 0x103);
constexpr HRESULT XML_E_INVALID_XPATH = MakeFailure(FACILITY_BRINDLE, 0x104);
constexpr HRESULT XML_E_XPATH_NOT_NODESET = MakeFailure(FACILITY_BRINDLE, 0x105);
constexpr HRESULT XML_E_UNDECLARED_PREFIX = MakeFailure(FACILITY_BRINDLE, 0x106);
constexpr HRESULT XML_E_CANNOT_APPEND = MakeFailure(FACILITY_BRINDLE, 0x107);
constexpr HRESULT XML_E_NO_PARENT = MakeFailure(FACILITY_BRINDLE, 0x108);
constexpr HRESULT XML_E_POSITION_OUT_OF_RANGE = MakeFailure(FACILITY_BRINDLE, 0x109);
constexpr HRESULT XML_E_NOT_CHILD = MakeFailure(FACILITY_BRINDLE, 0x10A);
constexpr HRESULT XML_E_NO_ATTRIBUTES = MakeFailure(FACILITY_BRINDLE, 0x10B);
constexpr HRESULT XML_E_INVALID_SELECTION_NAMESPACES = MakeFailure(FACILITY_BRINDLE, 0x10C);
constexpr HRESULT XML_E_NAMESPACE_IN_USE = MakeFailure(FACILITY_BRINDLE, 0x10F);
constexpr HRESULT XML_E_CANNOT_REMOVE = MakeFailure(FACILITY_BRINDLE, 0x110);
constexpr HRESULT XML_E_MARKUP_NOT_IN_ENCODING = MakeFailure(FACILITY_BRINDLE, 0x111);
constexpr HRESULT XML_E_CANNOT_MOVE = MakeFailure(FACILITY_BRINDLE, 0x112);
constexpr HRESULT XML_E_CANNOT_RENAME = MakeFailure(FACILITY_BRINDLE, 0x113);
constexpr HRESULT XML_E_NOT_PRESERVABLE = MakeFailure(FACILITY_BRINDLE, 0x114);
constexpr HRESULT XML_E_SOURCE_MISMATCH = MakeFailure(FACILITY_BRINDLE, 0x115);
constexpr HRESULT XML_E_NO_CURRENT_NODE = MakeFailure(FACILITY_BRINDLE, 0x116);
constexpr HRESULT XML_E_INVALID_NAME = MakeFailure(FACILITY_BRINDLE, 0x117);
constexpr HRESULT XML_E_UNDECLARED_NAME_PREFIX = MakeFailure(FACILITY_BRINDLE, 0x118);

// The script engine's own statuses.
constexpr HRESULT SCRIPT_E_NESTING_TOO_DEEP = MakeFailure(FACILITY_BRINDLE, 0x201);
constexpr HRESULT SCRIPT_E_UTF16BE_FILE = MakeFailure(FACILITY_BRINDLE, 0x202);
constexpr HRESULT SCRIPT_E_FILE_TOO_LARGE = MakeFailure(FACILITY_BRINDLE, 0x203);
constexpr HRESULT SCRIPT_E_NOTHING_MATCHED = MakeFailure(FACILITY_BRINDLE, 0x204);

// The script functions' own statuses.
constexpr HRESULT HASH_E_ALGORITHM_UNAVAILABLE = MakeFailure(FACILITY_BRINDLE, 0x301);
constexpr HRESULT HASH_E_LIBRARY_FAILURE = MakeFailure(FACILITY_BRINDLE, 0x302);
constexpr HRESULT HASH_E_LIBRARY_UNAVAILABLE = MakeFailure(FACILITY_BRINDLE, 0x303);

// The file layer's own statuses.
constexpr HRESULT FILE_E_HALF_WRITTEN = MakeFailure(FACILITY_BRINDLE, 0x401);
constexpr HRESULT FILE_E_NO_STATE_FOLDER = MakeFailure(FACILITY_BRINDLE, 0x402);

// An errno value that has no Win32 counterpart.
constexpr HRESULT StatusFromErrnoCode(int error) {
  return MakeFailure(FACILITY_ERRNO, static_cast<uint32_t>(error));
}
