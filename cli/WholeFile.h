// A file read whole into memory, for what tarnwick-cli takes in at once: the answers file and the
// install log that undo takes back.
#pragma once

#include <cstddef>
#include <string>

// Reads the file at path into content. The name goes to the C library, as the log is written, so
// it means the same as on the command line: a host path on POSIX, a path in the system code page
// on Windows. false, with content empty, when it is not a regular file (a folder, a device, a
// pipe), cannot be opened, a read fails or it holds more than mostBytes: a file is taken whole or
// not at all.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::size_t mostBytes, std::string& content);
