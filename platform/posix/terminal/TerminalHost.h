// The dialog host for a person at a terminal: each page is drawn from its template and the keys
// act on its controls as Win32's dialog manager would have them do.
//   Tab / Shift-Tab  next / previous control, in template order
//   arrows           a list's selection, a text's lines, the next radio button of a group
//   Space            tick a check box, choose a radio button, press the focused button
//   Enter            press the focused push button, else the default one
//   Esc              the page's Cancel (IDCANCEL);  F10: the close box;  F2: the system menu
#pragma once

#include "platform/posix/terminal/TerminalDialogs.h"
#include "platform/posix/terminal/TerminalPage.h"
#include "platform/posix/windows/DialogHost.h"

#include <map>

namespace posix {

class TerminalHost : public DialogHost {
public:
    TerminalHost() = default;
    // False when the terminal cannot be drawn on; the host must not be used then.
    bool Ready() const { return m_screen.Ready(); }

    void UserTurn(HWND dialog, int templateId) override;
    int ShowMessageBox(const std::string& text, const std::string& caption, UINT style) override;
    std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title, UINT flags) override;
    bool OpenFile(HWND owner, const std::string& filter, DWORD flags, std::string& path) override;
    void Repaint(HWND window) override;

private:
    // The page under a box: the one the user last acted on, while it is still shown.
    void DrawCurrentPage();
    // Shows the page again once a box over it is answered.
    void CloseBox();
    // Moves the focus to the next (or previous) control that takes it; false when none does.
    bool MoveFocus(const Window& page, PageState& state, int direction);
    void ActOnKey(HWND dialog, PageState& state, int key);
    bool ActOnEdit(Window& edit, EditView& view, int key);
    bool ActOnList(const Window& list, const PageState& state, int key);
    bool ActOnRadio(const Window& page, PageState& state, int key);

    TerminalScreen m_screen;
    HWND m_page = nullptr;
    std::map<HWND, PageState> m_states;
    int m_inputLost = 0; // turns taken after the input ended
    const DrawBehind m_drawPage = [this] { DrawCurrentPage(); };
};

} // namespace posix
