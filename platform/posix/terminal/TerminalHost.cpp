#include "platform/posix/terminal/TerminalHost.h"

#include "platform/posix/terminal/TerminalDialogs.h"
#include "platform/posix/terminal/TerminalKeys.h"

#include <curses.h>

#include <algorithm>

namespace posix {

namespace {

constexpr int kTurnsWithoutInput = 3; // then a page that will not close is ended

void Command(HWND dialog, int id)
{
    (void)SendMessageA(
        dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetText(Window& edit, const std::string& text)
{
    (void)SendMessageA(edit.handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The radio buttons of the group holding button: from the nearest WS_GROUP control at or before
// it to the next one.
std::vector<HWND> RadioGroup(const Window& page, HWND button)
{
    const auto& children = page.children;
    auto self = std::find(children.begin(), children.end(), button);
    if (self == children.end())
        return {};
    auto first = self;
    while (first != children.begin() && !(FindWindowEntry(*first)->style & WS_GROUP))
        --first;
    std::vector<HWND> group;
    for (auto it = first; it != children.end(); ++it) {
        const Window* control = FindWindowEntry(*it);
        if (it != first && (control->style & WS_GROUP))
            break;
        if (IsRadioButton(*control) && control->visible() && control->enabled())
            group.push_back(*it);
    }
    return group;
}

} // namespace

void TerminalHost::UserTurn(HWND dialog, int)
{
    std::erase_if(m_states, [](const auto& entry) { return !FindWindowEntry(entry.first); });
    Window* page = FindWindowEntry(dialog);
    if (!page)
        return;
    m_page = dialog;
    PageState& state = m_states[dialog];
    const Window* focused = FindWindowEntry(state.focus);
    if (!focused || focused->parent != dialog || !TakesFocus(*focused)) {
        state.focus = nullptr;
        (void)MoveFocus(*page, state, 1);
    }
    DrawCurrentPage();
    m_screen.Show();

    const int key = m_screen.ReadKey();
    if (key < 0) {
        // Nobody is left to answer: close the page as its close box would, and end it if it will not.
        if (++m_inputLost > kTurnsWithoutInput)
            (void)EndDialog(dialog, IDCANCEL);
        else
            (void)SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }
    ActOnKey(dialog, state, key);
}

void TerminalHost::ActOnKey(HWND dialog, PageState& state, int key)
{
    Window* page = FindWindowEntry(dialog);
    Window* focused = FindWindowEntry(state.focus);
    switch (key) {
    case KEY_RESIZE:
        return; // the next turn draws the page for the new size
    case kTabKey:
        (void)MoveFocus(*page, state, 1);
        return;
    case KEY_BTAB:
        (void)MoveFocus(*page, state, -1);
        return;
    case kEscapeKey:
        // The dialog manager makes Esc control 2's command, whether or not the page has that button.
        Command(dialog, IDCANCEL);
        return;
    case KEY_F(10):
        (void)SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    case KEY_F(2): {
        // The entries the program appended, then Close; separators only between commands.
        std::vector<std::pair<UINT_PTR, std::string>> entries;
        for (const auto& [command, text] : page->systemMenu)
            if (command != 0 || (!entries.empty() && entries.back().first != 0))
                entries.emplace_back(command, text);
        if (!entries.empty() && entries.back().first != 0)
            entries.emplace_back(0, "");
        entries.emplace_back(SC_CLOSE, "Close");
        const auto command = RunMenu(m_screen, m_drawPage, VisibleLabel(page->text, true), entries);
        CloseBox();
        if (command)
            (void)SendMessageA(dialog, WM_SYSCOMMAND, *command, 0);
        return;
    }
    default:
        break;
    }

    if (focused) {
        if (focused->kind == ControlKind::Edit && ActOnEdit(*focused, state.edits[state.focus], key))
            return;
        if (focused->kind == ControlKind::ListBox && ActOnList(*focused, state, key))
            return;
        if (IsRadioButton(*focused) && ActOnRadio(*page, state, key))
            return;
        if (focused->kind == ControlKind::Button && key == ' ') {
            (void)ClickButton(state.focus);
            return;
        }
    }
    if (IsEnterKey(key)) {
        // A disabled default button ignores Enter; a page without one hears IDOK.
        if (HWND button = DefaultButton(*page, state.focus))
            (void)ClickButton(button);
        else
            Command(dialog, IDOK);
        return;
    }
    if (key == KEY_DOWN || key == KEY_RIGHT)
        (void)MoveFocus(*page, state, 1);
    else if (key == KEY_UP || key == KEY_LEFT)
        (void)MoveFocus(*page, state, -1);
}

bool TerminalHost::MoveFocus(const Window& page, PageState& state, int direction)
{
    std::vector<HWND> order;
    for (HWND child : page.children)
        if (const Window* control = FindWindowEntry(child); control && TakesFocus(*control))
            order.push_back(child);
    if (order.empty()) {
        state.focus = nullptr;
        return false;
    }
    const auto at = std::find(order.begin(), order.end(), state.focus);
    std::size_t next = 0;
    if (at != order.end())
        next = (static_cast<std::size_t>(at - order.begin()) + order.size() + direction) % order.size();
    else if (direction < 0)
        next = order.size() - 1;
    state.focus = order[next];
    state.edits[state.focus].cursor = std::string::npos; // a box is entered at the end of its text
    return true;
}

bool TerminalHost::ActOnEdit(Window& edit, EditView& view, int key)
{
    if (edit.style & ES_MULTILINE) {
        const int page = std::max(1, view.shownLines - 1);
        const int last = std::max(0, view.lineCount - view.shownLines);
        int line = view.firstLine;
        if (key == KEY_UP)
            --line;
        else if (key == KEY_DOWN)
            ++line;
        else if (key == KEY_PPAGE)
            line -= page;
        else if (key == KEY_NPAGE || (key == ' ' && (edit.style & ES_READONLY)))
            line += page;
        else if (key == KEY_HOME)
            line = 0;
        else if (key == KEY_END)
            line = last;
        else
            return false;
        view.firstLine = std::clamp(line, 0, last);
        return true;
    }

    std::string text = edit.text;
    std::size_t cursor = view.cursor;
    if (!EditLine(text, cursor, key, !(edit.style & ES_READONLY)))
        return false;
    view.cursor = cursor;
    if (text != edit.text)
        SetText(edit, text);
    return true;
}

bool TerminalHost::ActOnList(const Window& list, const PageState& state, int key)
{
    const int count = static_cast<int>(list.items.size());
    int row = list.selection;
    if (key == KEY_UP)
        row = row < 0 ? 0 : row - 1;
    else if (key == KEY_DOWN)
        row = row < 0 ? 0 : row + 1;
    else if (key == KEY_PPAGE)
        row -= state.listRows;
    else if (key == KEY_NPAGE)
        row = std::max(row, 0) + state.listRows;
    else if (key == KEY_HOME)
        row = 0;
    else if (key == KEY_END)
        row = count - 1;
    else
        return false;
    if (count == 0)
        return true;
    row = std::clamp(row, 0, count - 1);
    if (row != list.selection)
        (void)SelectListRow(list.handle, row);
    return true;
}

bool TerminalHost::ActOnRadio(const Window& page, PageState& state, int key)
{
    int direction = 0;
    if (key == KEY_DOWN || key == KEY_RIGHT)
        direction = 1;
    else if (key == KEY_UP || key == KEY_LEFT)
        direction = -1;
    const std::vector<HWND> group = RadioGroup(page, state.focus);
    const auto at = std::find(group.begin(), group.end(), state.focus);
    if (direction == 0 || group.size() < 2 || at == group.end())
        return false;
    // Arrows go round the group and choose as they go, as the dialog manager's do.
    const std::size_t next
        = (static_cast<std::size_t>(at - group.begin()) + group.size() + direction) % group.size();
    state.focus = group[next];
    (void)ClickButton(state.focus);
    return true;
}

void TerminalHost::DrawCurrentPage()
{
    m_screen.Clear();
    // Every page still shown, the oldest first (handles only grow), so that a box opened from a
    // page stands over it; the current one on top.
    for (auto& [handle, state] : m_states) {
        const Window* page = FindWindowEntry(handle);
        if (handle != m_page && page && page->visible() && !page->ended)
            DrawPage(m_screen, *page, state);
    }
    if (const Window* page = FindWindowEntry(m_page); page && page->visible() && !page->ended)
        DrawPage(m_screen, *page, m_states[m_page]);
    if (m_screen.Rows() < PageLayout::kFullRows + 2 || m_screen.Cols() < PageLayout::kFullCols + 2)
        m_screen.Text(0, 0, "Make the terminal at least 80 x 25 to see the whole page.", m_screen.Cols(),
            TerminalScreen::Reverse);
}

void TerminalHost::Repaint(HWND window)
{
    const Window* control = FindWindowEntry(window);
    if (control && control->parent == m_page) {
        DrawCurrentPage();
        m_screen.Show();
    }
}

void TerminalHost::CloseBox()
{
    // The box goes as soon as it is answered: the program may work a while before the next turn.
    DrawCurrentPage();
    m_screen.Show();
}

int TerminalHost::ShowMessageBox(const std::string& text, const std::string& caption, UINT style)
{
    const int answer = RunMessageBox(m_screen, m_drawPage, text, caption, style);
    CloseBox();
    return answer;
}

std::optional<std::string> TerminalHost::BrowseForFolder(HWND, const std::string& title, UINT)
{
    auto folder = RunPathPrompt(m_screen, m_drawPage, title, PathKind::Folder);
    CloseBox();
    return folder;
}

bool TerminalHost::OpenFile(HWND, const std::string& filter, DWORD flags, std::string& path)
{
    // The filter's first description says what is wanted: "Open: JVM Library (jvm.dll)".
    const std::string wanted = filter.substr(0, filter.find('|'));
    const auto chosen = RunPathPrompt(m_screen, m_drawPage, wanted.empty() ? "Open" : "Open: " + wanted,
        PathKind::File, (flags & OFN_FILEMUSTEXIST) != 0);
    CloseBox();
    if (!chosen)
        return false;
    path = *chosen;
    return true;
}

} // namespace posix
