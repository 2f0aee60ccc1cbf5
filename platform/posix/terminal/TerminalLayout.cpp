#include "platform/posix/terminal/TerminalLayout.h"

#include <algorithm>

namespace posix {

namespace {

constexpr int kFullCx = 320, kFullCy = 199;

// a * b / c to the nearest whole number, for the non-negative sizes of a page.
int Scaled(int a, int b, int c)
{
    return c <= 0 ? 0 : (2 * a * b + c) / (2 * c);
}

bool IsSidePicture(const Window& control, const Window& page)
{
    return control.kind == ControlKind::Static && (control.style & SS_TYPEMASK) == SS_BITMAP
        && control.visible() && control.x < page.cx / 8 && control.x + control.cx < page.cx / 2;
}

} // namespace

bool CellRect::Overlaps(const CellRect& other) const
{
    return row < other.Bottom() && other.row < Bottom() && col < other.Right() && other.col < Right();
}

PageLayout::PageLayout(const Window& page)
    : m_pageCx(std::max<int>(page.cx, 1))
    , m_pageCy(std::max<int>(page.cy, 1))
    , m_rows(std::max(1, Scaled(m_pageCy, kFullRows, kFullCy)))
    , m_cols(std::max(1, Scaled(m_pageCx, kFullCols, kFullCx)))
{
    for (HWND child : page.children)
        if (const Window* control = FindWindowEntry(child); control && IsSidePicture(*control, page))
            m_pictureEnd = control->x + control->cx;
    if (m_cols <= 2 * kPictureCols)
        m_pictureEnd = 0;
}

int PageLayout::Column(int x) const
{
    x = std::clamp(x, 0, m_pageCx);
    if (m_pictureEnd <= 0)
        return Scaled(x, m_cols, m_pageCx);
    if (x <= m_pictureEnd)
        return Scaled(x, kPictureCols, m_pictureEnd);
    return kPictureCols + Scaled(x - m_pictureEnd, m_cols - kPictureCols, m_pageCx - m_pictureEnd);
}

int PageLayout::Row(int y) const
{
    return Scaled(std::clamp(y, 0, m_pageCy), m_rows, m_pageCy);
}

CellRect PageLayout::Place(const Window& control) const
{
    CellRect rect;
    rect.row = std::min(Row(control.y), m_rows - 1);
    rect.col = std::min(Column(control.x), m_cols - 1);
    rect.rows = std::max(1, Row(control.y + control.cy) - rect.row);
    rect.cols = std::max(1, Column(control.x + control.cx) - rect.col);
    rect.rows = std::min(rect.rows, m_rows - rect.row);
    rect.cols = std::min(rect.cols, m_cols - rect.col);
    return rect;
}

CellRect PageLayout::TextArea(const Window& page, const Window& label) const
{
    std::vector<CellRect> taken;
    for (HWND child : page.children) {
        const Window* control = FindWindowEntry(child);
        if (control && control != &label && control->visible())
            taken.push_back(Place(*control));
    }
    const auto isFree = [&](const CellRect& cells) {
        return std::none_of(
            taken.begin(), taken.end(), [&](const CellRect& other) { return other.Overlaps(cells); });
    };

    CellRect area = Place(label);
    while (area.Right() < m_cols && isFree({ area.row, area.Right(), area.rows, 1 }))
        ++area.cols;
    const int lines
        = static_cast<int>(WrapText(VisibleLabel(label.text, label.style & SS_NOPREFIX), area.cols).size());
    while (area.rows < lines && area.Bottom() < m_rows && isFree({ area.Bottom(), area.col, 1, area.cols }))
        ++area.rows;
    return area;
}

std::vector<std::string> WrapText(std::string_view text, int width)
{
    width = std::max(width, 1);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string paragraph;
        for (char c : text.substr(start, end - start)) {
            if (c == '\t')
                paragraph.append(4 - paragraph.size() % 4, ' ');
            else if (c != '\r')
                paragraph += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
        do {
            std::size_t cut = paragraph.size();
            if (cut > static_cast<std::size_t>(width)) {
                cut = paragraph.rfind(' ', width);
                if (cut == std::string::npos || cut == 0)
                    cut = width;
            }
            lines.push_back(paragraph.substr(0, cut));
            paragraph.erase(0, cut);
            if (!paragraph.empty() && paragraph.front() == ' ')
                paragraph.erase(0, 1); // the space the line was broken at
        } while (!paragraph.empty());
        start = end + 1;
    }
    return lines;
}

std::string VisibleLabel(std::string_view text, bool noPrefix)
{
    if (noPrefix)
        return std::string(text);
    std::string label;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        label += text[i];
    }
    return label;
}

} // namespace posix
