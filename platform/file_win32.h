// Windows only: the paths and handles beneath file.h, for the platform's
// own Windows code.
#pragma once

#include <windows.h>

#include <string>

#include "platform/file.h"

// The longest path the system takes, in characters, in its \\?\ form.
constexpr size_t kLongestPath = 32767;

// The UTF-16 form of a UTF-8 path. A full path of MAX_PATH characters or
// more gets the \\?\ prefix (\\?\UNC\ for a UNC path), with its separators
// made backslashes, so that the system neither cuts nor refuses it; any
// other path is only converted.
std::wstring SystemPath(const std::string& path);

// The handle that the descriptor fd owns.
HANDLE HandleOf(int fd);

// Hands handle to a new descriptor in *fd (the C runtime's flags: _O_RDONLY,
// _O_WRONLY, _O_RDWR); on failure closes it.
HRESULT AdoptHandle(HANDLE handle, int flags, UniqueFd* fd);

// A descriptor of its own in *fd for the standard handle which
// (STD_INPUT_HANDLE, STD_OUTPUT_HANDLE), opened with the C runtime's flags.
HRESULT DuplicateStandardHandle(DWORD which, int flags, UniqueFd* fd);

// Opens the regular file at path for reading, as OpenRegularFileForReading
// does, as a bare handle. With facts, reads the file's facts instead of
// asking for its kind, which under Wine (GetFileType) updates its access
// time.
HRESULT OpenRegularFileHandle(const std::string& path, ReadHint hint, HANDLE* handle,
                              BY_HANDLE_FILE_INFORMATION* facts = nullptr);
