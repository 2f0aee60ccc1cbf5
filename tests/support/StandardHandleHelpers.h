// Standing in for a program started without some of its standard handles: closed descriptors on
// POSIX, empty standard handle slots on Windows. For a child process of a test only.
#pragma once

void DropStandardHandles(bool input, bool output, bool error);
