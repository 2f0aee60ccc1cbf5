#include "platform/posix/terminal/TerminalScreen.h"

#include <curses.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstring>
#include <langinfo.h>
#include <string>

namespace posix {

namespace {

// Code page 1252's characters 0x80..0x9F; the rest of its upper half is Latin-1. 0 = unused.
constexpr char16_t kWindows1252[32] = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };

void AppendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

constexpr int kFatalSignals[]
    = { SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL };

// The terminal goes back to how it was before the signal does what it would have done.
extern "C" void RestoreAndRaise(int signal)
{
    endwin();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

attr_t Attributes(int look)
{
    attr_t attributes = A_NORMAL;
    if (look & TerminalScreen::Bold)
        attributes |= A_BOLD;
    if (look & TerminalScreen::Reverse)
        attributes |= A_REVERSE;
    if (look & TerminalScreen::Dim)
        attributes |= A_DIM;
    if (look & TerminalScreen::Underline)
        attributes |= A_UNDERLINE;
    return attributes;
}

} // namespace

TerminalScreen::TerminalScreen()
{
    std::setlocale(LC_ALL, "");
    m_utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    // newterm rather than initscr, which ends the process itself when the terminal is unknown.
    m_screen = newterm(nullptr, stdout, stdin);
    if (!m_screen)
        return;
    set_term(static_cast<SCREEN*>(m_screen));
    for (int signal : kFatalSignals)
        std::signal(signal, RestoreAndRaise);
    cbreak(); // Ctrl-C stays a signal
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    curs_set(0);
}

TerminalScreen::~TerminalScreen()
{
    if (!m_screen)
        return;
    endwin();
    for (int signal : kFatalSignals)
        std::signal(signal, SIG_DFL);
    delscreen(static_cast<SCREEN*>(m_screen));
}

int TerminalScreen::ReadKey()
{
    const int key = getch();
    return key == ERR ? -1 : key;
}

int TerminalScreen::Rows() const
{
    return LINES;
}

int TerminalScreen::Cols() const
{
    return COLS;
}

void TerminalScreen::Clear()
{
    erase();
}

void TerminalScreen::Text(int row, int col, std::string_view text, int maxCols, int look)
{
    if (row < 0 || row >= LINES || maxCols <= 0)
        return;
    if (col < 0) {
        const std::size_t skip = static_cast<std::size_t>(-col);
        text.remove_prefix(std::min(skip, text.size()));
        maxCols += col;
        col = 0;
    }
    const int room = std::min(maxCols, COLS - col);
    if (room <= 0)
        return;
    text = text.substr(0, static_cast<std::size_t>(room));
    std::string shown;
    for (unsigned char c : text) {
        const unsigned code = c < 0x20 || c == 0x7F ? '?' : c;
        if (!m_utf8 || code < 0x80)
            shown += static_cast<char>(code);
        else if (code < 0xA0)
            AppendUtf8(shown, kWindows1252[code - 0x80] ? kWindows1252[code - 0x80] : '?');
        else
            AppendUtf8(shown, code);
    }
    attrset(Attributes(look));
    mvaddstr(row, col, shown.c_str());
    attrset(A_NORMAL);
}

void TerminalScreen::Fill(const CellRect& cells, char c, int look)
{
    const std::string line(static_cast<std::size_t>(std::max(cells.cols, 0)), c);
    for (int row = cells.row; row < cells.Bottom(); ++row)
        Text(row, cells.col, line, cells.cols, look);
}

void TerminalScreen::Frame(const CellRect& cells, std::string_view title, int look)
{
    if (cells.rows < 2 || cells.cols < 2)
        return;
    attrset(Attributes(look));
    mvhline(cells.row, cells.col + 1, ACS_HLINE, cells.cols - 2);
    mvhline(cells.Bottom() - 1, cells.col + 1, ACS_HLINE, cells.cols - 2);
    mvvline(cells.row + 1, cells.col, ACS_VLINE, cells.rows - 2);
    mvvline(cells.row + 1, cells.Right() - 1, ACS_VLINE, cells.rows - 2);
    mvaddch(cells.row, cells.col, ACS_ULCORNER);
    mvaddch(cells.row, cells.Right() - 1, ACS_URCORNER);
    mvaddch(cells.Bottom() - 1, cells.col, ACS_LLCORNER);
    mvaddch(cells.Bottom() - 1, cells.Right() - 1, ACS_LRCORNER);
    attrset(A_NORMAL);
    if (!title.empty())
        Text(cells.row, cells.col + 2, " " + std::string(title) + " ", cells.cols - 4, look | Bold);
}

void TerminalScreen::VerticalBar(int row, int col, int rows, int thumbRow)
{
    if (rows <= 0)
        return;
    mvvline(row, col, ACS_CKBOARD, rows);
    mvaddch(row + std::clamp(thumbRow, 0, rows - 1), col, ACS_BLOCK);
}

void TerminalScreen::Cursor(int row, int col)
{
    if (row < 0) {
        curs_set(0);
        return;
    }
    move(row, col);
    curs_set(1);
}

void TerminalScreen::Show()
{
    refresh();
}

} // namespace posix
