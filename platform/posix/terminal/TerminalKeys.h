// Keys as curses gives them, and the line editing that edit boxes and the path prompt share.
#pragma once

#include <string>

namespace posix {

inline constexpr int kEscapeKey = 27, kTabKey = '\t', kClearLineKey = 21; // Ctrl-U

bool IsEnterKey(int key);

// Applies an editing key to a line of text with a cursor: arrows, Home, End, and when writable
// Backspace, Delete, Ctrl-U and printable characters. False when the key is not for the line.
bool EditLine(std::string& text, std::size_t& cursor, int key, bool writable);

} // namespace posix
