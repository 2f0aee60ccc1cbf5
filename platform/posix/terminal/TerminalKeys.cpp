#include "platform/posix/terminal/TerminalKeys.h"

#include <curses.h>

#include <algorithm>

namespace posix {

bool IsEnterKey(int key)
{
    return key == '\r' || key == '\n' || key == KEY_ENTER;
}

bool EditLine(std::string& text, std::size_t& cursor, int key, bool writable)
{
    const bool backspace = key == KEY_BACKSPACE || key == 127 || key == 8;
    cursor = std::min(cursor, text.size());
    if (key == KEY_LEFT)
        cursor -= cursor > 0 ? 1 : 0;
    else if (key == KEY_RIGHT)
        cursor += cursor < text.size() ? 1 : 0;
    else if (key == KEY_HOME)
        cursor = 0;
    else if (key == KEY_END)
        cursor = text.size();
    else if (writable && backspace) {
        if (cursor > 0)
            text.erase(--cursor, 1);
    } else if (writable && key == KEY_DC) {
        if (cursor < text.size())
            text.erase(cursor, 1);
    } else if (writable && key == kClearLineKey) {
        text.clear();
        cursor = 0;
    } else if (writable && key >= 0x20 && key < 0x7F) {
        text.insert(cursor++, 1, static_cast<char>(key));
    } else {
        return backspace || key == KEY_DC; // a read-only line's, with nothing to take away
    }
    return true;
}

} // namespace posix
