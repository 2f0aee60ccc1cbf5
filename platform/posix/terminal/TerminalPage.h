// Drawing a page on the terminal, and what a page keeps between the user's turns: which control
// has the focus and how far each edit box and list is scrolled.
#pragma once

#include "platform/posix/terminal/TerminalScreen.h"

#include <map>
#include <string>

namespace posix {

struct EditView {
    std::size_t cursor = std::string::npos; // npos: at the end of the text
    std::size_t firstColumn = 0; // a single-line box scrolls sideways
    int firstLine = 0; // a multi-line box scrolls down
    int lineCount = 0, shownLines = 0; // as last drawn
};

struct PageState {
    HWND focus = nullptr;
    std::map<HWND, EditView> edits;
    std::map<HWND, int> listTop; // first row shown
    int listRows = 1; // rows of the focused list as last drawn
};

// The controls Tab stops at: shown, enabled buttons, edit boxes and lists with WS_TABSTOP, and
// radio buttons too, which a terminal cannot reach with a mouse.
bool TakesFocus(const Window& control);
bool IsPushButton(const Window& control);
bool IsRadioButton(const Window& control);
// The button Enter presses: the focused push button, else the page's default push button;
// nullptr when the page has none (Enter is then the IDOK command).
HWND DefaultButton(const Window& page, HWND focus);

// The page centred on the screen with its frame, title, close key and key help; the cursor is put
// in the focused edit box.
void DrawPage(TerminalScreen& screen, const Window& page, PageState& state);

// The key help drawn under every page, and its short form for a small page.
inline constexpr const char* kPageKeys
    = " Tab/Shift-Tab: move  Space: tick  Enter: press  Esc: cancel  F2: menu ";
inline constexpr const char* kShortPageKeys = " Tab: move  Enter: press  Esc: cancel ";
inline constexpr const char* kCloseKey = "[X] F10";

} // namespace posix
