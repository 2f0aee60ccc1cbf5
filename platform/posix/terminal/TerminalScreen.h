// The terminal while the wizard runs: curses on, keys one at a time, and the terminal given back as
// it was on every way out, Ctrl-C and other fatal signals included. Texts are the program's narrow
// Windows texts (code page 1252), shown as UTF-8 on a UTF-8 terminal.
#pragma once

#include "platform/posix/terminal/TerminalLayout.h"

#include <string_view>

namespace posix {

class TerminalScreen {
public:
    TerminalScreen();
    ~TerminalScreen();
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;

    // False when curses cannot drive this terminal (an unknown TERM, say); nothing else may be
    // called then.
    bool Ready() const { return m_screen != nullptr; }

    // The next key as curses names it (KEY_RESIZE after the terminal changed size); -1 once
    // there is no more input.
    int ReadKey();

    int Rows() const;
    int Cols() const;

    enum Look { Plain = 0, Bold = 1, Reverse = 2, Dim = 4, Underline = 8 };

    void Clear();
    // Up to maxCols cells of text from (row, col); nothing outside the terminal.
    void Text(int row, int col, std::string_view text, int maxCols, int look = Plain);
    void Fill(const CellRect& cells, char c = ' ', int look = Plain);
    // A single-line frame around cells, with a title set into its top line.
    void Frame(const CellRect& cells, std::string_view title = {}, int look = Plain);
    void VerticalBar(int row, int col, int rows, int thumbRow);
    // The cursor at a cell, or hidden when row is negative.
    void Cursor(int row, int col);
    void Show();

private:
    void* m_screen = nullptr; // curses' SCREEN
    bool m_utf8 = false;
};

} // namespace posix
