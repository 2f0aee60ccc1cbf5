// Message boxes and the system menu on the terminal.
#include "platform/posix/CaseFold.h"
#include "platform/posix/terminal/TerminalDialogs.h"
#include "platform/posix/terminal/TerminalKeys.h"

#include <curses.h>

#include <algorithm>

namespace posix {

namespace {

struct Buttons {
    std::vector<std::pair<int, std::string>> list;
    int escape = 0; // what Esc and the close key give; 0 when the box cannot be dismissed so
};

Buttons ButtonsOf(UINT style)
{
    constexpr int kAbort = 3, kRetry = 4, kIgnore = 5;
    switch (style & 0xF) {
    case MB_OKCANCEL:
        return { { { IDOK, "OK" }, { IDCANCEL, "Cancel" } }, IDCANCEL };
    case 2: // abort, retry, ignore
        return { { { kAbort, "Abort" }, { kRetry, "Retry" }, { kIgnore, "Ignore" } }, 0 };
    case 3: // yes, no, cancel
        return { { { IDYES, "Yes" }, { IDNO, "No" }, { IDCANCEL, "Cancel" } }, IDCANCEL };
    case MB_YESNO:
        return { { { IDYES, "Yes" }, { IDNO, "No" } }, 0 };
    case 5: // retry, cancel
        return { { { kRetry, "Retry" }, { IDCANCEL, "Cancel" } }, IDCANCEL };
    default:
        return { { { IDOK, "OK" } }, IDOK };
    }
}

std::string IconMark(UINT style)
{
    switch (style & 0xF0) {
    case MB_ICONHAND:
        return "(X) ";
    case MB_ICONQUESTION:
        return "(?) ";
    case MB_ICONEXCLAMATION:
        return "(!) ";
    case MB_ICONASTERISK:
        return "(i) ";
    default:
        return {};
    }
}

// A box of the given inside size, centred, cleared and framed.
CellRect OpenBox(TerminalScreen& screen, int rows, int cols, const std::string& title)
{
    CellRect box { 0, 0, std::min(rows + 2, screen.Rows()), std::min(cols + 4, screen.Cols()) };
    box.row = std::max(0, (screen.Rows() - box.rows) / 2);
    box.col = std::max(0, (screen.Cols() - box.cols) / 2);
    screen.Fill(box);
    screen.Frame(box, title);
    return box;
}

} // namespace

int RunMessageBox(TerminalScreen& screen, const DrawBehind& drawBehind, const std::string& text,
    const std::string& caption, UINT style)
{
    const Buttons buttons = ButtonsOf(style);
    const std::string icon = IconMark(style);
    int focus
        = std::clamp(static_cast<int>((style >> 8) & 0xF), 0, static_cast<int>(buttons.list.size()) - 1);
    for (;;) {
        const int textCols = std::max(10, std::min(70, screen.Cols() - 8) - static_cast<int>(icon.size()));
        std::vector<std::string> lines = WrapText(text, textCols);
        lines.resize(std::min<std::size_t>(lines.size(), std::max(1, screen.Rows() - 4)));
        std::string row;
        for (const auto& [id, label] : buttons.list)
            row += (row.empty() ? "" : "  ") + ("[ " + label + " ]");
        int cols = static_cast<int>(std::max(row.size(), caption.size() + 4));
        for (const std::string& line : lines)
            cols = std::max(cols, static_cast<int>(icon.size() + line.size()));

        if (drawBehind)
            drawBehind();
        const CellRect box = OpenBox(screen, static_cast<int>(lines.size()) + 2, cols, caption);
        for (std::size_t i = 0; i < lines.size(); ++i)
            screen.Text(box.row + 1 + static_cast<int>(i), box.col + 2,
                (i == 0 ? icon : std::string(icon.size(), ' ')) + lines[i], box.cols - 4);
        int col = box.col + (box.cols - static_cast<int>(row.size())) / 2;
        for (int i = 0; i < static_cast<int>(buttons.list.size()); ++i) {
            const std::string label = "[ " + buttons.list[i].second + " ]";
            screen.Text(box.Bottom() - 2, col, label, box.Right() - 1 - col,
                i == focus ? TerminalScreen::Reverse : TerminalScreen::Plain);
            col += static_cast<int>(label.size()) + 2;
        }
        screen.Cursor(-1, 0);
        screen.Show();

        const int key = screen.ReadKey();
        const int count = static_cast<int>(buttons.list.size());
        if (key < 0)
            return buttons.escape ? buttons.escape : buttons.list.back().first;
        if (IsEnterKey(key) || key == ' ')
            return buttons.list[focus].first;
        if ((key == kEscapeKey || key == KEY_F(10)) && buttons.escape)
            return buttons.escape;
        if (key == kTabKey || key == KEY_RIGHT || key == KEY_DOWN)
            focus = (focus + 1) % count;
        else if (key == KEY_BTAB || key == KEY_LEFT || key == KEY_UP)
            focus = (focus + count - 1) % count;
        else if (key > 0 && key < 0x80)
            for (const auto& [id, label] : buttons.list)
                if (FoldCase(static_cast<unsigned char>(label[0]))
                    == FoldCase(static_cast<unsigned char>(key)))
                    return id;
    }
}

std::optional<UINT_PTR> RunMenu(TerminalScreen& screen, const DrawBehind& drawBehind,
    const std::string& title, const std::vector<std::pair<UINT_PTR, std::string>>& entries)
{
    std::vector<int> choices; // the rows that are commands
    int cols = static_cast<int>(title.size()) + 4;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (entries[i].first != 0)
            choices.push_back(i);
        cols = std::max(cols, static_cast<int>(VisibleLabel(entries[i].second).size()));
    }
    if (choices.empty())
        return std::nullopt;
    std::size_t current = 0;
    for (;;) {
        if (drawBehind)
            drawBehind();
        const CellRect box = OpenBox(screen, static_cast<int>(entries.size()), cols, title);
        for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
            const int row = box.row + 1 + i;
            if (entries[i].first == 0) {
                screen.Text(
                    row, box.col + 1, std::string(box.cols - 2, '-'), box.cols - 2, TerminalScreen::Dim);
                continue;
            }
            const bool chosen = i == choices[current];
            screen.Fill({ row, box.col + 1, 1, box.cols - 2 }, ' ', chosen ? TerminalScreen::Reverse : 0);
            screen.Text(row, box.col + 2, VisibleLabel(entries[i].second), box.cols - 4,
                chosen ? TerminalScreen::Reverse : 0);
        }
        screen.Cursor(-1, 0);
        screen.Show();

        const int key = screen.ReadKey();
        if (key < 0 || key == kEscapeKey || key == KEY_F(2))
            return std::nullopt;
        if (IsEnterKey(key) || key == ' ')
            return entries[choices[current]].first;
        if (key == KEY_DOWN || key == kTabKey)
            current = (current + 1) % choices.size();
        else if (key == KEY_UP || key == KEY_BTAB)
            current = (current + choices.size() - 1) % choices.size();
    }
}

} // namespace posix
