// The previous content of a file while it is written in place.
//
// Writing a file in place (to keep its hard links, an owner the new file
// could not be given, or a folder that takes no new files) overwrites the
// only copy of the document. Before its first byte is overwritten, the
// file's whole content is copied and flushed to disk into a journal in the
// user's state folder ($XDG_STATE_HOME/brindle, else
// ~/.local/state/brindle), named after the file's device and inode
// ("in-place-<device>-<inode>.xml"), and the journal is removed once the
// new content is on disk. A journal that exists therefore means that a run
// was stopped halfway (by SIGKILL or a power cut; the other signals are
// held back meanwhile): the file may be half written, and the journal holds
// exactly its previous bytes, ready to be copied back over it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file.h"
#include "platform/half_written.h"
#include "platform/status.h"
#include "platform/temporary_file.h"

class CInPlaceJournal {
 public:
  CInPlaceJournal() = default;
  // A journal that was not removed stays: it is what recovers the file.
  ~CInPlaceJournal() = default;
  CInPlaceJournal(const CInPlaceJournal&) = delete;
  CInPlaceJournal& operator=(const CInPlaceJournal&) = delete;

  // Copies the content of the regular file open (readable) on fd into a new
  // journal, flushed to disk with its folder. Fails, leaving no journal,
  // with FILE_E_HALF_WRITTEN when the file has a journal already,
  // FILE_E_NO_STATE_FOLDER when neither XDG_STATE_HOME nor HOME is set, or
  // the failure of making the folder or writing the copy.
  HRESULT Create(int fd);
  // Writes the kept content back over the file open on fd and cuts the file
  // to that length, flushed to disk.
  HRESULT RestoreInto(int fd);
  // Removes the journal, once the file holds a whole document again.
  void Remove();

  // The journal's path while it exists.
  const std::string& Path() const { return m_path; }
  // After a failed Create: the folder it could not keep the journal in;
  // empty when the failure lies elsewhere (no state folder is known, or the
  // file has a journal already).
  const std::string& FolderPath() const { return m_folderPath; }

 private:
  UniqueFd m_folder;
  std::string m_folderPath;
  std::string m_name;
  std::string m_path;        // empty when no journal exists
  CTemporaryFile m_content;  // its descriptor reads the kept content
  uint64_t m_size = 0;       // bytes kept
};
