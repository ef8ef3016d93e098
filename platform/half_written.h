// Whether a file may be half written. A save that writes a file in place
// (in_place_journal.h) keeps the file's previous content in a journal until
// the new content is whole on disk, so a journal that exists means that a
// run was stopped halfway. Windows saves never write in place: there no
// file ever has a journal.
#pragma once

#include <string>

#include "platform/status.h"

// S_OK when no journal exists for the file open on fd, or fd is not a
// regular file; else FILE_E_HALF_WRITTEN, with *journal (when not null) set
// to the journal's path.
HRESULT CheckForInPlaceJournal(int fd, std::string* journal);

// The same for the file at path (symbolic links followed); S_OK when
// nothing is there.
HRESULT FindInPlaceJournal(const std::string& path, std::string* journal);
