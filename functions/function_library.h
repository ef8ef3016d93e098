// The facts about files and texts that description scripts ask for. Each
// function fills *result and returns S_OK, E_INVALIDARG for an argument it
// cannot use (the script reports "Invalid parameter type"), or the failure
// status of the file access (the script reports "System error" with its
// text). Texts are UTF-8; paths are resolved as ResolvePath does.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

// The last component of path, as typed (FileNameOffset); the path need not
// exist.
std::string FileNameOf(std::string_view path);
// The full path; empty when the path cannot be resolved. Always S_OK.
HRESULT FullPathOf(std::string_view path, std::string* result);
// The full path without its last component (ParentFolder: a root stays
// whole); empty when the path cannot be resolved. Always S_OK.
HRESULT DirectoryOf(std::string_view path, std::string* result);

// The file version of the version resource of a PE file, formatted by the
// runs of '#' in format (major, minor, build, revision).
HRESULT FileVersionText(std::string_view file, std::string_view format, std::string* result);
// A string value of the version resource of a PE file, trimmed.
HRESULT FileVersionInfoText(std::string_view file, std::string_view name, std::string* result);

// The size of a regular file in unit (B, KB, MB, GB, TB, any case) with
// precision decimals (-1: the unit's default; 0 to 9). A precision outside
// -1..9 is E_INVALIDARG, checked before the file is read.
HRESULT FileSizeText(std::string_view file, std::string_view unit, int precision,
                     std::string* result);

enum class FileTimeKind { LastWrite, LastAccess, Creation };
// A time of a regular file in UTC, the date formatted with date_picture and
// the time with time_picture (either may be empty), joined by a blank.
HRESULT FileTimeText(std::string_view file, FileTimeKind kind, std::string_view date_picture,
                     std::string_view time_picture, std::string* result);

// The MD5 or SHA-1 digest ("MD5", "SHA1" or "", any case) of a regular file's
// content in lower-case hexadecimal. Another algorithm name is E_INVALIDARG,
// checked before the file is read.
HRESULT FileHashText(std::string_view file, std::string_view algorithm, std::string* result);
