// Replaces a file only with a complete copy that reached the disk.
//
// Where a path leads is left to the kernel to judge, never worked out here:
// an existing target (a symbolic link too, dangling or not) is opened the
// way the shell's ">>" opens it, so that the permission checks and the
// protection of links, FIFOs and files in sticky folders
// (fs.protected_symlinks and the others) refuse exactly what they would
// refuse the user's own append. The real file is then found from that
// descriptor. The save takes one of three routes:
//
// - A stream (a descriptor of this process named by its path, such as
//   /dev/stdout; a pipe, terminal, device or socket) is written directly,
//   and nothing is copied anywhere.
// - A new file, or a regular file that the new one can replace with the
//   same owner, group, mode and extended attributes (ACLs included): the
//   content goes to a hidden temporary beside it (temporary_file.h), is
//   flushed to disk and renamed over it, which is atomic.
// - Otherwise (several hard links, an owner the new file cannot be given,
//   a folder that takes no new files) the file is overwritten in place, but
//   only from a complete, flushed temporary, after the space it needs is
//   reserved and its previous content kept in a journal (in_place_journal.h).
//   A failed overwrite is undone from the journal; if even that fails, both
//   copies are kept and the SaveReport names them.
//
// An interrupt signal removes the temporary (interrupt_cleanup.h); the
// in-place overwrite holds interrupts back until the file is whole again.
//
// On Windows the system's own primitives do this: an existing target is
// first opened for writing, which a read-only file, a folder or a file that
// another program holds open without sharing its writing refuse, and a
// device or a pipe is written directly. The content goes to a temporary
// beside the target (".<name>.brindle-XXXXXX"), which the system deletes
// however the process ends until the save commits it; FlushFileBuffers
// takes it to disk, and ReplaceFileW puts it in the target's place, keeping
// the target's attributes, security descriptor and creation time (with a
// backup name, so that a replacement that fails halfway is undone), or
// MoveFileExW with write-through names a new file. There is no in-place
// route: hard links do not survive a save.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>

#include "platform/interrupt_cleanup.h"
#include "platform/temporary_file.h"
#endif

#include "platform/file.h"
#include "platform/status.h"

// What a failed save has to tell beyond its status; empty strings when
// there is nothing to tell.
struct SaveReport {
  // The file had to be written in place, and its previous content could
  // not be kept in this folder first; the file is untouched.
  std::string journal_folder;
  // The in-place write failed and could not be undone: the complete new
  // document and the file's previous content (its journal) are kept here.
  std::string kept_document;
  std::string kept_previous;
};

class CSafeFileWriter {
 public:
  CSafeFileWriter();
  // Removes the temporary unless it was committed or kept, and a file that
  // opening a dangling link created, while it is still empty.
  ~CSafeFileWriter();
  CSafeFileWriter(const CSafeFileWriter&) = delete;
  CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

  // Opens the target as described above and creates the temporary. Fails
  // with what the kernel says of the target (access denied for a read-only
  // file or a protected link, path not found for a missing folder), with
  // FILE_E_HALF_WRITTEN when the target has the journal of an interrupted
  // in-place save, or with the failure of creating the temporary.
  HRESULT Open(const std::string& target);

  // Buffered. After the first failure every later call returns it.
  HRESULT Write(const void* data, size_t size);

  // Flushes everything to disk and replaces the target. On failure the
  // target is as it was, unless Report() names the copies that were kept.
  HRESULT Commit();

  const SaveReport& Report() const { return m_report; }

 private:
  enum class Route { Stream, NewFile, Replace, InPlace };

  // Large enough that a big document is written in few system calls; left
  // uninitialised, so that a small one touches only the pages it fills.
  static constexpr size_t kBufferSize = 64 << 10;

  HRESULT Flush();
  // Writes to the stream, or to the temporary, unbuffered.
  HRESULT WriteOut(const void* data, size_t size);

  // What a save keeps differs from system to system, as in ninja's
  // subprocess.h.
#ifdef _WIN32
  HRESULT CreateTemporary();
  HRESULT PutInPlace();

  std::string m_target;  // the target's path
  bool m_exists = false;
  UniqueFd m_temp;  // marked for deletion until Commit puts it in place
  std::string m_tempPath;
#else
  HRESULT OpenNewFile(const std::string& target);
  HRESULT OpenExisting(const std::string& target, bool is_link);
  HRESULT LocateTarget(const std::string& target);
  bool TargetUnchanged() const;
  HRESULT FinishStream();
  bool GiveTemporaryTheTargetsRights();
  HRESULT RenameIntoPlace();
  HRESULT WriteInPlace();
  HRESULT ReserveSpace(int file, uint64_t old_size);
  HRESULT Overwrite(int file, uint64_t old_size);

  UniqueFd m_target;  // an existing target, opened as ">>" opens it
  struct stat m_targetStatus {};
  UniqueFd m_folder;  // the folder that really holds the target
  std::string m_folderPath;
  std::string m_name;            // the target's own name in m_folder
  bool m_createdTarget = false;  // opening a dangling link created the target
  CRemoveOnInterrupt m_createdCleanup;
  CTemporaryFile m_temp;
  uint64_t m_written = 0;         // bytes written to the temporary
  uint64_t m_writebackStart = 0;  // the first byte whose write-back is not started
#endif
  Route m_route = Route::NewFile;
  UniqueFd m_stream;  // Route::Stream: where the content goes
  SaveReport m_report;
  std::unique_ptr<char[]> m_buffer;  // kBufferSize bytes, allocated by Open
  size_t m_used = 0;
  HRESULT m_status = S_OK;
};
