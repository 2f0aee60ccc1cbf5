// The rights Windows checks on opening an entry that the host's modes decide here: what may be
// made in a folder, and whether an entry may be removed from the folder that holds it.
#pragma once

#include "platform/win32.h"

#include <string>

namespace posix {

// ERROR_SUCCESS, or ERROR_ACCESS_DENIED when this process may not have what access asks of host:
// FILE_ADD_FILE, FILE_ADD_SUBDIRECTORY or FILE_DELETE_CHILD of a folder, DELETE of any entry.
DWORD RefusedAccess(const std::string& host, bool folder, DWORD access);

} // namespace posix
