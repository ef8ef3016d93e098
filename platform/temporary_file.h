// Hidden temporary files beside the file they stand in for.
//
// The temporary for "doc.xml" is ".doc.xml.brindle-XXXXXX" (X random; the
// name is cut to fit where the file's own name fits), made in a folder given
// as a descriptor. The process writing it holds an exclusive flock on it for
// as long as it is open, so a temporary whose lock can be taken belongs to a
// run that died (SIGKILL, a power cut): creating a temporary first removes
// such leftovers of earlier runs for the same name. One that must outlive
// the run is kept under a visible name ("doc.xml.brindle-kept-XXXXXX") that
// no clean-up ever matches.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/file.h"
#include "platform/interrupt_cleanup.h"
#include "platform/status.h"

class CTemporaryFile {
 public:
  CTemporaryFile() = default;
  // Removes the file, unless it was renamed, linked into place or kept.
  ~CTemporaryFile();
  CTemporaryFile(const CTemporaryFile&) = delete;
  CTemporaryFile& operator=(const CTemporaryFile&) = delete;

  // Creates, open for reading and writing and locked, the temporary for
  // name in the folder open on folder (whose path, folder_path, is only
  // for reporting), with the creation mode mode: the umask or the folder's
  // default ACL apply, as to any new file. It is removed if the run is
  // interrupted by a signal.
  HRESULT Create(int folder, const std::string& folder_path, std::string_view name, mode_t mode);

  int Fd() const { return m_fd.Get(); }
  // The full path of the file while it has a name of its own.
  std::string Path() const { return m_folderPath + "/" + m_name; }

  // Renames the temporary over name in its folder: from now on it is that
  // file. The descriptor, and so its lock, stays open until this object is
  // destroyed.
  HRESULT RenameOver(std::string_view name);
  // Gives the content the name name in its folder, failing with
  // ERROR_FILE_EXISTS when that name is taken, and drops the temporary name.
  // The descriptor stays open.
  HRESULT LinkAs(std::string_view name);
  // Leaves the file for the user under a kept name (its old name where the
  // folder cannot link); Path() names it.
  void Keep();
  // Removes the file now.
  void Remove();

 private:
  UniqueFd m_folder;
  std::string m_folderPath;
  std::string m_for;   // the name of the file the temporary stands for
  std::string m_name;  // the current name; empty once no file is ours to remove
  bool m_kept = false;
  UniqueFd m_fd;
  CRemoveOnInterrupt m_cleanup;
};
