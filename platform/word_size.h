// Whether the program runs with narrower pointers than its system offers:
// the banner's ", 32-bit." mark.
#pragma once

// True for a 32-bit build on a 64-bit system (under WOW64 on Windows, on a
// 64-bit kernel elsewhere); false for a 64-bit build, on a 32-bit system,
// and when the system cannot tell.
bool IsNarrowProcessOnWideSystem();
