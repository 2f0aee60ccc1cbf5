#include "platform/posix/files/AccessCheck.h"

#include <fcntl.h>
#include <unistd.h>

namespace posix {

namespace {

// Entries are made in a folder, and removed from it, by whoever may write and search it.
bool MayChange(const std::string& folder)
{
    return ::faccessat(AT_FDCWD, folder.empty() ? "/" : folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace

DWORD RefusedAccess(const std::string& host, bool folder, DWORD access)
{
    if (folder && (access & (FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD)) && !MayChange(host))
        return ERROR_ACCESS_DENIED;
    if (access & DELETE) {
        const std::size_t slash = host.find_last_of('/');
        if (slash != std::string::npos && !MayChange(host.substr(0, slash)))
            return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

} // namespace posix
