// Files and folders that the caller names on the command line, spelt as the C library opens them:
// host paths on POSIX, paths in the system code page on Windows. The command line runs elevated,
// so what they name is checked before it is read or written.
#pragma once

#include <cstdio>
#include <string>

// name made absolute against the current directory, so that it names the same file once the
// program has gone into another folder. Empty when it cannot be made (an empty name, say).
std::string FullFileName(const std::string& name);

enum class FileKind {
    Missing,
    Regular,
    Folder,
    Other, // a device, a pipe, a socket; on Windows also a stream of a file ("log.txt:x")
    Unknown, // cannot be told: a folder on the way may not be read, say
};

// What name names now, following links.
FileKind KindOfFile(const std::string& name);

// name opened for reading in binary mode when it is a regular file, as the file opened shows;
// nullptr for anything else, without waiting for a pipe's writer or a device.
std::FILE* OpenRegularFile(const std::string& name);

// Whether a log may create or replace name: false with why for what is not a regular file or
// none, and on the simulated machine for its registry store and the files kept beside it.
bool MayWriteLogFile(const std::string& name, std::string& why);

// Whether a and b name one file that exists, whatever the spelling (case, links, "..").
bool SameFile(const std::string& a, const std::string& b);
