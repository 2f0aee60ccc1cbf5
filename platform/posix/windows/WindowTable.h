// Windows on POSIX: entries of one table, created from dialog templates, changed by the messages
// the program sends and by the host acting for the user. Nothing is drawn here; a host reads the
// table to show or script the page.
#pragma once

#include "platform/DialogTemplate.h"
#include "platform/win32.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace posix {

enum class ControlKind { Dialog, Button, Edit, Static, ListBox, Progress, Other };

struct Window {
    HWND handle = nullptr;
    HWND parent = nullptr;
    ControlKind kind = ControlKind::Other;
    std::string className;
    int id = 0;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int imageId = 0;
    UINT check = BST_UNCHECKED;
    // Progress bar
    int rangeMin = 0, rangeMax = 100, step = 10, position = 0;
    // List box
    std::vector<std::string> items;
    int selection = LB_ERR;
    // Dialog
    int templateId = 0;
    DLGPROC dialogProc = nullptr;
    LONG_PTR user = 0;
    LONG_PTR messageResult = 0;
    bool ended = false;
    INT_PTR endResult = 0;
    std::vector<HWND> children; // in template (tab) order
    HICON bigIcon = nullptr, smallIcon = nullptr;
    std::vector<std::pair<UINT_PTR, std::string>> systemMenu; // appended entries; 0 = separator
    bool minimized = false;
    HICON drawnIcon = nullptr; // the last icon drawn on the window, and where
    int drawnX = 0, drawnY = 0;

    bool visible() const { return (style & WS_VISIBLE) != 0; }
    bool enabled() const { return (style & WS_DISABLED) == 0; }
};

Window* FindWindowEntry(HWND handle);
HWND CreateWindowEntry(Window window);
void DestroyWindowEntry(HWND handle); // and its children
ControlKind KindOfClass(const std::string& className);
// A page and its controls as the template describes them, the page still hidden.
HWND CreateDialogWindows(const DialogTemplate& page, HWND parent);

// A click as the user makes it: an automatic check box toggles, an automatic radio button checks
// itself and clears the others of its group, then the parent hears BN_CLICKED. Disabled or hidden
// buttons do nothing; the result says whether the click happened.
bool ClickButton(HWND button);
// Selecting a list row as the user does: the selection moves and a notifying list box tells its parent.
bool SelectListRow(HWND list, int row);

} // namespace posix
