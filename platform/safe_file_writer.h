// Replaces a file only with a complete copy that reached the disk.
//
// The new content goes to a temporary file beside the target (hidden, with
// a random suffix, so that one left behind by a killed process is never
// mistaken for a document). On Commit the temporary is flushed and renamed
// over the target, which is atomic: readers see the old file or the new one,
// never a mix. Where a rename would change what the target is (several hard
// links, an owner, group, mode or extended attributes the process cannot
// give the new file, a device or a pipe), the content is copied into the
// target in place instead; if that copy fails, the temporary is kept and
// KeptCopyPath() names it, so the document is never lost.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"
#include "platform/status.h"

class CSafeFileWriter {
 public:
  CSafeFileWriter();
  // Removes a temporary that was not committed or kept.
  ~CSafeFileWriter();
  CSafeFileWriter(const CSafeFileWriter&) = delete;
  CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

  // Checks that the target can be written (access denied for a read-only
  // file, path not found for a missing folder) and creates the temporary.
  // A symbolic link is followed: its target is replaced and the link stays.
  HRESULT Open(const std::string& target);

  // Buffered. After the first failure every later call returns it.
  HRESULT Write(const void* data, size_t size);

  // Flushes everything to disk and replaces the target.
  HRESULT Commit();

  const std::string& KeptCopyPath() const { return m_keptPath; }

 private:
  HRESULT Flush();
  // Writes to the temporary, unbuffered, and starts its write-back to disk
  // every kWritebackChunk bytes.
  HRESULT WriteTemporary(const void* data, size_t size);
  HRESULT CopyInPlace();
  bool CanRename();

  std::string m_target;    // the file to replace, symbolic links followed
  std::string m_tempPath;  // empty when no temporary exists
  std::string m_keptPath;
  UniqueFd m_temp;
  bool m_inPlace = false;  // the target is replaced by copying into it
  bool m_appendOnly = false;  // the target is a stream such as /dev/stdout
  std::unique_ptr<char[]> m_buffer;  // kBufferSize bytes, allocated by Open
  size_t m_used = 0;
  uint64_t m_written = 0;         // bytes written to the temporary
  uint64_t m_writebackStart = 0;  // the first byte whose write-back is not started
  HRESULT m_status = S_OK;
};
