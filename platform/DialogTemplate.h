// Dialog templates and strings as data, for the platforms that do not load them from a compiled
// resource section. A generator under tools/ writes the tables from res/tarnwick.rc at build time,
// so the .rc stays the only source of every template, control, text and style.
#pragma once

#include "platform/win32.h"

#include <string_view>

struct ControlTemplate {
    int id; // -1 for IDC_STATIC
    std::string_view className; // "BUTTON", "EDIT", "STATIC", "LISTBOX", "msctls_progress32", ...
    std::string_view text; // the control's text; empty when it names an image
    int imageId; // icon or bitmap resource of an SS_ICON / SS_BITMAP static, else 0
    DWORD style; // complete style, WS_CHILD and WS_VISIBLE included as rc adds them
    DWORD exStyle;
    short x, y, cx, cy; // dialog units
};

struct DialogTemplate {
    int id;
    bool extended; // DIALOGEX
    std::string_view caption;
    DWORD style; // complete style as the resource compiler stores it
    DWORD exStyle;
    short x, y, cx, cy;
    std::string_view fontName;
    int fontSize;
    const ControlTemplate* controls;
    int controlCount;
};

struct StringTemplate {
    int id;
    std::string_view text;
};

// The generated tables (res/tarnwick.rc).
const DialogTemplate* FindDialogTemplate(int id);
std::string_view FindStringResource(int id); // empty when there is none
