// Case-insensitive comparison of narrow names, for registry keys and file names, in the system
// code page (Windows-1252). Names are ordered by their lower-case forms, which is the order in
// which Wine enumerates registry keys and directory entries.
#pragma once

#include <string_view>

namespace posix {

unsigned char FoldCase(unsigned char c);
bool EqualsFolded(std::string_view a, std::string_view b);
int CompareFolded(std::string_view a, std::string_view b);

} // namespace posix
