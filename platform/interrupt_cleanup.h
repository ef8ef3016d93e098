// What a run removes when a signal stops it.
//
// A run that is interrupted (SIGINT, SIGTERM, SIGHUP, SIGQUIT) removes the
// files registered here (the temporary copy it was writing, a file it
// created only to replace it) and then ends by the signal's own default
// action, so that its parent sees the usual status (128 + the signal's
// number in a shell). A registration keeps a folder descriptor and a name in
// fixed storage, which the handler reads with async-signal-safe calls only.
// SIGKILL cannot be caught: what it leaves, the next run cleans up
// (temporary_file.h).
//
// On Windows the system itself deletes the temporary however the process
// ends (it is marked for deletion until the save commits it), and Ctrl+C,
// Ctrl+Break and the closing of the console end the process as they always
// do, except that they wait while a save replaces the file.
#pragma once

#ifndef _WIN32
#include <signal.h>
#include <sys/types.h>

#include <string>
#endif

// Installs the handlers, except for signals that the process was started
// with ignored (a background job's SIGINT, nohup's SIGHUP): those stay
// ignored. A closed output pipe (SIGPIPE) or a file size limit (SIGXFSZ)
// then ends in a failed write, reported with its exit code, never in a
// process killed between load and save. Call once, early.
void InstallInterruptCleanup();

#ifndef _WIN32
// Removes every registered file now. Async-signal-safe, for the handlers of
// faults, which end the process too.
void RemoveRegisteredFiles();

// One file to remove on an interrupt, for as long as this object lives or
// until Clear.
class CRemoveOnInterrupt {
 public:
  CRemoveOnInterrupt() = default;
  ~CRemoveOnInterrupt() { Clear(); }
  CRemoveOnInterrupt(const CRemoveOnInterrupt&) = delete;
  CRemoveOnInterrupt& operator=(const CRemoveOnInterrupt&) = delete;

  // Registers the file name in the folder open on folder, which must stay
  // open while the registration holds. With only_empty_inode set, the file
  // is removed only while it is still that inode and empty (a file created
  // just to be replaced). False when the name is too long or every slot is
  // taken: the file then stays after an interrupt.
  bool Set(int folder, const std::string& name, ino_t only_empty_inode = 0);
  void Clear();

 private:
  int m_slot = -1;  // index into the fixed table, -1 when nothing is registered
};
#endif

// Holds the interrupt signals back while it lives; one that arrives
// meanwhile is acted on when it ends. For the steps that must not stop
// halfway, which then only SIGKILL or a power cut can interrupt.
class CDeferInterrupts {
 public:
  CDeferInterrupts();
  ~CDeferInterrupts();
  CDeferInterrupts(const CDeferInterrupts&) = delete;
  CDeferInterrupts& operator=(const CDeferInterrupts&) = delete;

#ifndef _WIN32
 private:
  sigset_t m_previous;
#endif
};
