// Huge pages for the heap of a run that works on a large file.
//
// A document takes about eight times its size in memory, in millions of
// small allocations; with 4 KiB pages a 100 MB document costs some 200,000
// page faults, a quarter of its run time on a virtual machine. glibc's
// malloc backs its heap with transparent huge pages when the tunable
// glibc.malloc.hugetlb=1 is set, which cuts the faults a hundredfold, but
// it reads its tunables only as the program starts.
#pragma once

// When an argument names a regular file of at least 32 MiB and the
// environment does not set the tunable yet, runs the program again, with
// the same arguments, with the tunable added to GLIBC_TUNABLES. Returns
// only when no restart is wanted or the restart failed; nothing has been
// read or written by then, so the run simply goes on without huge pages.
void RestartWithHugePagesForLargeFiles(int argc, char** argv);
