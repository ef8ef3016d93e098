// The texts of every status the program can produce, as users see them under
// an error line: the operating system's own where it has one (on Windows,
// FormatMessageW's, in the user's language), else English texts of the
// program's own.
#pragma once

#include <string>

#include "platform/status.h"

// Sets *text to the text for status followed by its number: " (%d)" with the
// low 16 bits for Win32 codes (facility 7, or a bare code up to 0xFFFF),
// " (0x%08X)" with the whole status otherwise. Returns false, leaving *text
// alone, when the status has no text (success, S_FALSE, unknown codes).
bool GetSystemText(HRESULT status, std::string* text);

// The operating system's own text for status, without the number; false
// when it has none. On Windows that is FormatMessageW's text, trimmed, for
// every status but the program's own (FACILITY_BRINDLE); elsewhere the
// C library's English description of an errno status (FACILITY_ERRNO).
bool GetOperatingSystemText(HRESULT status, std::string* text);
