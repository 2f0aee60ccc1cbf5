// Where a page goes on a character terminal. Dialog units become cells so that a 320 x 199 page
// fills an 80 x 25 terminal with its frame: 78 x 23 cells inside. A side picture at the page's left
// edge is drawn as a narrow plain frame, and the controls to its right share the columns it frees,
// since monospaced text needs more room than the proportional font the templates were laid out for.
#pragma once

#include "platform/posix/windows/WindowTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace posix {

struct CellRect {
    int row = 0, col = 0, rows = 0, cols = 0;
    int Bottom() const { return row + rows; } // one past the last row
    int Right() const { return col + cols; } // one past the last column
    bool Overlaps(const CellRect& other) const;
};

class PageLayout {
public:
    static constexpr int kFullRows = 23, kFullCols = 78; // a 320 x 199 page inside its frame
    static constexpr int kPictureCols = 14;

    explicit PageLayout(const Window& page);

    int Rows() const { return m_rows; } // inside the frame
    int Cols() const { return m_cols; }
    // A control's cells inside the frame; at least one cell, never outside the page.
    CellRect Place(const Window& control) const;
    // The cells a static text may use: its own, widened to the right and down over cells that no
    // other shown control of the page takes, since the template's sizes suit a narrower font.
    CellRect TextArea(const Window& page, const Window& label) const;

private:
    int Column(int x) const;
    int Row(int y) const;

    int m_pageCx = 0, m_pageCy = 0;
    int m_pictureEnd = 0; // in dialog units; 0 when the page has no side picture
    int m_rows = 0, m_cols = 0;
};

// A text as lines of at most width characters: line breaks kept ("\r\n" or "\n"), long lines
// broken at spaces, words longer than a line broken where they must.
std::vector<std::string> WrapText(std::string_view text, int width);

// A control's text as it reads on screen: "&" marks the next character as the access key and is
// not shown, "&&" shows one "&"; a static with SS_NOPREFIX shows its text as it is.
std::string VisibleLabel(std::string_view text, bool noPrefix = false);

} // namespace posix
