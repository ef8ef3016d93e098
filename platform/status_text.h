// English texts for every status the program can produce, as users see them
// under an error line.
#pragma once

#include <string>

#include "platform/status.h"

// Sets *text to the text for status followed by its number: " (%d)" with the
// low 16 bits for Win32 codes (facility 7, or a bare code up to 0xFFFF),
// " (0x%08X)" with the whole status otherwise. Returns false, leaving *text
// alone, when the status has no text (success, S_FALSE, unknown codes).
bool GetSystemText(HRESULT status, std::string* text);
