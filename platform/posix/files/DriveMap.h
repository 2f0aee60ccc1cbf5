// Drive letters mapped to host folders, the way Wine's dosdevices does it. The mapping comes from
// TARNWICK_DRIVES ("C:=/srv/c;D:=/mnt/d"); Z: is the host's root unless mapped otherwise. A drive
// without a mapping does not exist.
#pragma once

#include <optional>
#include <string>

namespace posix {

// 0 for A or a, up to 25 for Z or z; -1 for anything else. Drive letters are ASCII whatever the
// locale: under a Latin-1 one isalpha and toupper take in letters such as 0xE9 too.
int DriveIndex(char letter);

// The host folder of a drive letter (either case), without a trailing '/' except for "/".
std::optional<std::string> DriveRoot(char letter);

// The Windows path of an absolute host path, through the drive whose folder holds it most closely
// ("/srv/c/x" with C:=/srv/c gives "C:\x"); empty when no drive holds it.
std::string WindowsPathOfHost(const std::string& hostPath);

// Replaces the mapping with one in TARNWICK_DRIVES' form; malformed entries are ignored. Tests use
// it; the program reads the environment once.
void SetDriveMapping(const std::string& text);

} // namespace posix
