// Windows paths to host paths. Product code passes Windows paths ("C:\Tags\x", "\x", "x\y",
// "C:x"); they are made absolute against the current directory and mapped through the drives.
#pragma once

#include "platform/win32.h"

#include <string>

namespace posix {

struct HostPath {
    std::string windows; // full Windows path, "C:\dir\name"
    std::string host; // host path, spelled as the caller wrote the names
    std::size_t rootLength = 0; // characters of host that are the drive's folder
    bool IsDriveRoot() const { return windows.size() == 3; }
};

// Returns 0 or the Win32 error: ERROR_FILENAME_EXCED_RANGE for a name longer than MAX_PATH,
// ERROR_BAD_NETPATH for a share (no network here), ERROR_PATH_NOT_FOUND for an empty path or an
// unmapped drive, ERROR_INVALID_NAME for a character Windows forbids in names (the wildcards are
// allowed in the last name when allowWildcards is set).
DWORD ResolvePath(LPCSTR path, HostPath& out, bool allowWildcards = false);

// Re-spells the names after the drive's folder to match existing entries that differ only in case
// (Windows finds "INSTALL.CONF" as "install.conf"). Every name must exist, but the last may be
// missing when lastMayBeMissing. Returns whether host was changed.
bool MatchCase(HostPath& path, bool lastMayBeMissing);

// The Win32 error for an errno of a call on host: ENOENT is ERROR_FILE_NOT_FOUND when the folder
// that should hold host exists, otherwise ERROR_PATH_NOT_FOUND.
DWORD ErrorFromErrno(int error, const std::string& host);

// The current directory as a Windows path; 0 or a Win32 error.
DWORD CurrentWindowsDirectory(std::string& out);

// The attributes Windows would report for a host entry, from lstat (and stat when it is a link).
DWORD AttributesOf(const std::string& name, bool isLink, unsigned mode, bool targetIsDirectory);

} // namespace posix
