// Turns whatever path a user typed into the full path the program opens and
// reports: environment variables expanded, made absolute, canonical.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

// Expands %NAME% and ${NAME} once (names match exactly; an unknown one stays
// as written), appends a relative result to the current directory, and makes
// it canonical: "." parts and doubled slashes go, and ".." climbs out of what
// the directory before it really is (resolved with realpath when it exists,
// so that "link/.." leads where the kernel would go), else lexically.
// Backslash is an ordinary character. Returns S_OK; on failure leaves *out
// alone and returns HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) when the
// result would exceed PATH_MAX, or the status of reading the current
// directory when that fails.
//
// On Windows the system's rules apply: ExpandEnvironmentStringsW expands
// %NAME% (names in any case), and GetFullPathNameW makes the full path:
// drive letters (C:\dir, C:file), UNC paths (\\server\share), rooted paths
// (\dir on the current drive), "\" and "/" alike as separators, "." and ".."
// lexically. A result beyond the system's limit of 32,767 characters fails
// with ERROR_FILENAME_EXCED_RANGE; below it nothing is cut (long paths are
// opened in their \\?\ form).
HRESULT ResolvePath(std::string_view source, std::string* out);

// The offset in path of its last component, as typed: after the last
// separator that is followed by anything but another separator, so that a
// trailing separator stays with its component and a path made of
// separators alone is its own name. The separator is "/", on Windows also
// "\" and the colon of a drive ("C:file").
size_t FileNameOffset(std::string_view path);

// A full path (as ResolvePath makes them) without its last component; a
// root stays whole: "/", and on Windows "C:\" or "\\server\share".
std::string ParentFolder(const std::string& full_path);
