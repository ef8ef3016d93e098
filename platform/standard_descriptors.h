// The three standard descriptors, made sure of before the program opens
// anything.
#pragma once

// Fills every closed descriptor among 0, 1 and 2 with a descriptor that
// holds the slot but refuses every read and write (EBADF). Without this,
// the first file the program opens would take a closed slot, and output
// meant for standard output (/output /dev/stdout) would go into that file.
// Call first thing in main.
void FillClosedStandardDescriptors();
