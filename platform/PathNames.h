// Windows paths as names: compared without regard to the case of ASCII letters, as the file system
// compares them, and taken apart at their backslashes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// path as a key to compare by: trailing separators dropped (a drive root's kept), ASCII letters in
// upper case.
std::string FoldedPath(std::string path);
// The same in place, for a caller that keeps a buffer for the purpose.
void FoldPathInPlace(std::string& path);

// Where the name of path's parent folder ends (after "C:\" for a drive root's entries), or npos
// when it has none.
std::size_t ParentEnd(const std::string& path);

// The parent folder as written, or an empty text when path has none.
std::string ParentOf(const std::string& path);

// Whether name, one name between separators, is one Windows opens as a device in every folder:
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9, in any case, with blanks before an
// extension and any extension.
bool IsDeviceName(std::string_view name);
