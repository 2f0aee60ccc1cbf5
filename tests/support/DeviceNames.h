// A device by the name the C library opens it with on each platform.
#pragma once

// "/dev/null" on POSIX, "NUL" on Windows.
const char* NullDeviceName();
