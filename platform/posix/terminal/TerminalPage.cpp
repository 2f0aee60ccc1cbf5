#include "platform/posix/terminal/TerminalPage.h"

#include <algorithm>

namespace posix {

namespace {

DWORD ButtonType(const Window& control)
{
    return control.style & BS_TYPEMASK;
}

// Where the page's frame goes: centred, or at the top left of a terminal too small for it.
CellRect PageFrame(const TerminalScreen& screen, const PageLayout& layout)
{
    CellRect frame { 0, 0, layout.Rows() + 2, layout.Cols() + 2 };
    frame.row = std::max(0, (screen.Rows() - frame.rows) / 2);
    frame.col = std::max(0, (screen.Cols() - frame.cols) / 2);
    return frame;
}

int LookOf(const Window& control, bool focused)
{
    if (!control.enabled())
        return TerminalScreen::Dim;
    return focused ? TerminalScreen::Reverse : TerminalScreen::Plain;
}

void DrawStatic(TerminalScreen& screen, const Window& page, const Window& control, const PageLayout& layout,
    int top, int left)
{
    const DWORD type = control.style & SS_TYPEMASK;
    if (type == SS_BITMAP || type == SS_ICON) {
        const CellRect cells = layout.Place(control);
        screen.Frame({ top + cells.row, left + cells.col, cells.rows, cells.cols }, {}, TerminalScreen::Dim);
        return;
    }
    const CellRect area = layout.TextArea(page, control);
    const auto lines = WrapText(VisibleLabel(control.text, control.style & SS_NOPREFIX), area.cols);
    for (int i = 0; i < area.rows && i < static_cast<int>(lines.size()); ++i)
        screen.Text(top + area.row + i, left + area.col, lines[i], area.cols,
            control.enabled() ? 0 : TerminalScreen::Dim);
}

void DrawButton(TerminalScreen& screen, const Window& control, const CellRect& cells, int room, bool focused,
    bool isDefault)
{
    const std::string text = VisibleLabel(control.text);
    const DWORD type = ButtonType(control);
    if (IsPushButton(control)) {
        const std::string label = isDefault ? "[[ " + text + " ]]" : "[ " + text + " ]";
        const int col = cells.col + std::max(0, (cells.cols - static_cast<int>(label.size())) / 2);
        screen.Text(cells.row, col, label, room - (col - cells.col),
            LookOf(control, focused) | (isDefault && control.enabled() ? TerminalScreen::Bold : 0));
        return;
    }
    const bool ticked = control.check == BST_CHECKED;
    std::string mark;
    if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON)
        mark = ticked ? "(*) " : "( ) ";
    else
        mark = ticked ? "[x] " : "[ ] ";
    screen.Text(cells.row, cells.col, mark + text, room, LookOf(control, focused));
}

void DrawEdit(TerminalScreen& screen, const Window& control, const CellRect& cells, int room, bool focused,
    EditView& view, int& cursorRow, int& cursorCol)
{
    if (control.style & ES_MULTILINE) {
        // A bordered box: lines wrapped to its width, a scroll bar when they do not all fit.
        screen.Frame(cells, {}, focused ? TerminalScreen::Bold : TerminalScreen::Plain);
        const CellRect inside { cells.row + 1, cells.col + 1, std::max(0, cells.rows - 2),
            std::max(0, cells.cols - 3) };
        const auto lines = WrapText(control.text, inside.cols);
        view.lineCount = static_cast<int>(lines.size());
        view.shownLines = inside.rows;
        view.firstLine = std::clamp(view.firstLine, 0, std::max(0, view.lineCount - inside.rows));
        for (int i = 0; i < inside.rows && view.firstLine + i < view.lineCount; ++i)
            screen.Text(inside.row + i, inside.col, lines[view.firstLine + i], inside.cols,
                control.enabled() ? 0 : TerminalScreen::Dim);
        if (view.lineCount > inside.rows) {
            const int last = std::max(1, view.lineCount - inside.rows);
            screen.VerticalBar(
                inside.row, inside.Right(), inside.rows, view.firstLine * (inside.rows - 1) / last);
        }
        return;
    }
    const int width = std::max(1, std::min(cells.cols, room));
    const std::size_t cursor = std::min(view.cursor, control.text.size());
    if (!focused)
        view.firstColumn = 0; // a box without the focus shows the start of its text
    if (cursor < view.firstColumn)
        view.firstColumn = cursor;
    if (focused && cursor >= view.firstColumn + width)
        view.firstColumn = cursor - width + 1;
    view.firstColumn = std::min(view.firstColumn, control.text.size());
    const std::string shown = control.text.substr(view.firstColumn);
    screen.Fill({ cells.row, cells.col, 1, width }, ' ', TerminalScreen::Underline);
    screen.Text(cells.row, cells.col, shown, width,
        TerminalScreen::Underline
            | (control.enabled() ? (focused ? TerminalScreen::Bold : 0) : TerminalScreen::Dim));
    if (focused && control.enabled()) {
        cursorRow = cells.row;
        cursorCol = cells.col + static_cast<int>(cursor - view.firstColumn);
    }
}

void DrawList(TerminalScreen& screen, const Window& control, const CellRect& cells, bool focused, int& top)
{
    screen.Frame(cells, {}, focused ? TerminalScreen::Bold : TerminalScreen::Plain);
    const int rows = std::max(0, cells.rows - 2);
    const int count = static_cast<int>(control.items.size());
    if (control.selection >= 0) {
        if (control.selection < top)
            top = control.selection;
        if (control.selection >= top + rows)
            top = control.selection - rows + 1;
    }
    top = std::clamp(top, 0, std::max(0, count - rows));
    for (int i = 0; i < rows && top + i < count; ++i) {
        const bool selected = top + i == control.selection;
        const int look = selected ? (focused ? TerminalScreen::Reverse : TerminalScreen::Bold) : 0;
        const CellRect line { cells.row + 1 + i, cells.col + 1, 1, cells.cols - 3 };
        if (selected)
            screen.Fill(line, ' ', look);
        screen.Text(line.row, line.col, control.items[top + i], line.cols, look);
    }
    if (count > rows)
        screen.VerticalBar(
            cells.row + 1, cells.Right() - 2, rows, top * (rows - 1) / std::max(1, count - rows));
}

void DrawProgress(TerminalScreen& screen, const Window& control, const CellRect& cells)
{
    const int inner = std::max(0, cells.cols - 2);
    const int span = control.rangeMax - control.rangeMin;
    const int done = span > 0 ? (control.position - control.rangeMin) * inner / span : 0;
    screen.Text(cells.row, cells.col, "[" + std::string(done, '#') + std::string(inner - done, '-') + "]",
        cells.cols);
}

} // namespace

bool IsPushButton(const Window& control)
{
    const DWORD type = ButtonType(control);
    return control.kind == ControlKind::Button && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool IsRadioButton(const Window& control)
{
    const DWORD type = ButtonType(control);
    return control.kind == ControlKind::Button && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

bool TakesFocus(const Window& control)
{
    if (!control.visible() || !control.enabled())
        return false;
    switch (control.kind) {
    case ControlKind::Button:
        return (control.style & WS_TABSTOP) || IsRadioButton(control);
    case ControlKind::Edit:
    case ControlKind::ListBox:
        return (control.style & WS_TABSTOP) != 0;
    default:
        return false;
    }
}

HWND DefaultButton(const Window& page, HWND focus)
{
    if (const Window* focused = FindWindowEntry(focus);
        focused && IsPushButton(*focused) && focused->enabled())
        return focus;
    for (HWND child : page.children)
        if (const Window* control = FindWindowEntry(child);
            control && control->kind == ControlKind::Button && ButtonType(*control) == BS_DEFPUSHBUTTON)
            return child;
    return nullptr;
}

void DrawPage(TerminalScreen& screen, const Window& page, PageState& state)
{
    const PageLayout layout(page);
    const CellRect frame = PageFrame(screen, layout);
    screen.Fill(frame); // over whatever page is below
    screen.Frame(frame, VisibleLabel(page.text, true));
    const int closeCol = frame.Right() - 2 - static_cast<int>(std::string_view(kCloseKey).size());
    screen.Text(frame.row, closeCol, kCloseKey, frame.Right() - 1 - closeCol);
    const std::string_view keys
        = std::string_view(kPageKeys).size() <= static_cast<std::size_t>(frame.cols - 4) ? kPageKeys
                                                                                         : kShortPageKeys;
    screen.Text(frame.Bottom() - 1, frame.col + 2, keys, frame.cols - 4, TerminalScreen::Dim);

    const int top = frame.row + 1, left = frame.col + 1;
    const HWND defaultButton = DefaultButton(page, state.focus);
    int cursorRow = -1, cursorCol = 0;
    for (HWND child : page.children) {
        const Window* control = FindWindowEntry(child);
        if (!control || !control->visible())
            continue;
        CellRect cells = layout.Place(*control);
        const int room = layout.Cols() - cells.col; // text may run on to the page's edge
        cells.row += top;
        cells.col += left;
        const bool focused = child == state.focus;
        switch (control->kind) {
        case ControlKind::Static:
            DrawStatic(screen, page, *control, layout, top, left);
            break;
        case ControlKind::Button:
            DrawButton(screen, *control, cells, room, focused, child == defaultButton);
            break;
        case ControlKind::Edit:
            DrawEdit(screen, *control, cells, room, focused, state.edits[child], cursorRow, cursorCol);
            break;
        case ControlKind::ListBox:
            DrawList(screen, *control, cells, focused, state.listTop[child]);
            if (focused)
                state.listRows = std::max(1, cells.rows - 2);
            break;
        case ControlKind::Progress:
            DrawProgress(screen, *control, cells);
            break;
        default:
            break;
        }
    }
    screen.Cursor(cursorRow, cursorCol);
}

} // namespace posix
