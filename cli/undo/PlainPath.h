// The paths undo will act on. An install only ever names files and folders by full paths, from a
// drive (C:\...) or a share (\\server\share\...), so a path of any other form in a log is not one
// an install wrote: undo keeps it, whatever it is. Windows would also read some names as other
// files than they seem (a device, a stream, a name whose trailing dots it drops, "..", a path it
// never normalises): those are refused too.
#pragma once

#include <string>
#include <string_view>

// Empty when undo may use path; otherwise why not, for the log and the console.
[[nodiscard]] std::string WhyNotPlainPath(std::string_view path);
