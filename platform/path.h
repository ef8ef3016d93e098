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
HRESULT ResolvePath(std::string_view source, std::string* out);

// Environment expansion alone, as ResolvePath does it first.
std::string ExpandEnvironment(std::string_view source);
