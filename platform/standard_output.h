// Text for standard output and standard error, in the form the user chose
// for it.
#pragma once

#include <cstdint>
#include <string_view>

// How text leaves the program: UTF-8 (the default), the character set of
// the user's locale, or UTF-16LE.
enum class OutputMode : uint32_t { Utf8, Locale, Utf16 };

// The two streams the program's messages go to.
enum class StandardStream : uint32_t { Output, Error };

// Writes UTF-8 text to stream in mode, at once: nothing waits in a buffer,
// so text written to the two streams in turn arrives in that order where
// they meet (a terminal, 2>&1). Write errors (a closed pipe) are not
// reported. Characters the locale's character set cannot hold become "?".
//
// On Windows a console gets its text through WriteConsoleW, which shows
// every character, in the UTF-8 and UTF-16 modes, and in the console's code
// page in the locale mode; redirected output gets the bytes of the mode
// (the locale's character set is the ANSI code page), with every line
// ending in CR LF, as Windows programs write text.
void WriteStandardStream(StandardStream stream, std::string_view text, OutputMode mode);
