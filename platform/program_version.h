// The program's own version record: a VS_VERSIONINFO block generated at
// build time from the project's version (tools/make_version_record.cpp).
// On Windows it is the program's VERSIONINFO resource, read back through
// the version API; elsewhere it is compiled into the program as data.
#pragma once

#include "platform/version_info.h"

// Loads the record into *info, as CVersionInfo::LoadBlock does; fails as
// LoadBlock does, or with the status of reading the resource.
HRESULT LoadProgramVersion(CVersionInfo* info);
