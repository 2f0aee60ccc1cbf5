// The process's current directory as a Windows path, read at any length, and names made absolute
// against it.
#pragma once

#include <string>

// Empty when the system cannot tell it.
std::string GetCurrentDirectoryText();

// The path of a file of the current directory: the directory, a backslash and the name (the
// backslash is added even after a drive root, as the package pages always did). When that path
// would be too long for the system's file functions, the bare name, which the system resolves
// against the current directory all the same.
std::string CurrentDirectoryFile(const std::string& name);

// name made absolute against the current directory, as GetFullPathNameA makes it: "." and ".."
// taken out, nothing looked up. Empty when the system cannot make it.
std::string GetFullPathText(const std::string& name);
