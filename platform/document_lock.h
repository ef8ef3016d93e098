// The lock that makes runs on one document take turns.
//
// A run holds a lock (flock, exclusive; on Windows LockFileEx on a byte far
// beyond any content, so that reading is not held back) on the document from
// before it loads it until after it has saved it, so that every run's
// update lands on top of the one before. A save that renames a new file
// over the document leaves the old file's lock behind; so a run that gets a
// lock checks that the path still names the file it locked, and locks again
// when it does not. While the document does not exist (a run with /create)
// its folder is locked instead, until the run that creates it is done
// (Windows locks no folders: there runs that create one document do not
// take turns). Only brindle's runs take the lock: other programs are not
// held back.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/file.h"
#include "platform/status.h"

struct LockWait {
  // When to call the notice, once, if the lock is still held by another.
  std::chrono::milliseconds notice_after;
  // How long to wait in all before giving up.
  std::chrono::milliseconds limit;
};

class CDocumentLock {
 public:
  CDocumentLock() = default;
  CDocumentLock(const CDocumentLock&) = delete;
  CDocumentLock& operator=(const CDocumentLock&) = delete;

  // Locks the document at path (symbolic links followed), or its folder
  // while nothing is there, waiting while another run holds it; notice is
  // called once after wait.notice_after. Returns S_OK with the lock held;
  // S_FALSE with no lock when there is nothing to lock: a document that
  // cannot be opened for reading (the load reports why), one that is not a
  // regular file, a missing folder, or a file system without locks; and
  // ERROR_SHARING_VIOLATION when the lock was still held after wait.limit.
  HRESULT Acquire(const std::string& path, const LockWait& wait,
                  const std::function<void()>& notice);

  // Releases the lock, if one is held.
  void Release() { m_fd.Reset(); }

 private:
  enum class Attempt { Locked, Held, Unavailable };

  // The system's part. Opens what is to be locked: the file, or its folder
  // while no file is there (*folder set); S_FALSE when there is nothing to
  // lock.
  static HRESULT OpenTarget(const std::string& path, UniqueFd* fd, bool* folder);
  // Tries once to lock fd: Held while another has it, Unavailable where
  // there are no locks.
  static Attempt TryLock(int fd);
  // Whether path still names what fd locked: the same file, or still
  // nothing when the folder was locked.
  static bool StillNames(const std::string& path, int fd, bool folder);

  UniqueFd m_fd;  // the locked file or folder
};
