// Drawing into a grid of character cells.
#include "window/terminal/TerminalCanvas.h"

#include <algorithm>

namespace dravo {

TerminalCanvas::TerminalCanvas(int cols, int rows)
    : m_Cols(std::max(cols, 0)), m_Rows(std::max(rows, 0)), m_Cells(static_cast<size_t>(m_Cols * m_Rows)) {}

void TerminalCanvas::Clear() {
    std::fill(m_Cells.begin(), m_Cells.end(), Cell{});
}

void TerminalCanvas::Put(int col, int row, char glyph, CellStyle style, bool underline) {
    if (InRange(col, row)) {
        // Control characters would upset the screen; they show as blanks.
        const bool printable = static_cast<unsigned char>(glyph) >= 0x20 && glyph != '\x7f';
        m_Cells[Index(col, row)] = Cell{printable ? glyph : ' ', style, underline};
    }
}

void TerminalCanvas::Put(int col, int row, LineGlyph glyph, CellStyle style) {
    if (InRange(col, row)) {
        m_Cells[Index(col, row)] = Cell{static_cast<char>(glyph), style, false};
    }
}

void TerminalCanvas::Restyle(int col, int row, CellStyle style) {
    if (InRange(col, row)) {
        m_Cells[Index(col, row)].m_Style = style;
    }
}

int TerminalCanvas::Text(int col, int row, std::string_view text, CellStyle style, int maxCols) {
    const int count = std::min(static_cast<int>(text.size()), std::max(maxCols, 0));
    for (int i = 0; i < count; ++i) {
        Put(col + i, row, text[static_cast<size_t>(i)], style);
    }
    return count;
}

int TerminalCanvas::Caption(int col, int row, std::string_view text, CellStyle style, int maxCols) {
    int written = 0;
    for (size_t i = 0; i < text.size() && written < maxCols; ++i) {
        bool underline = false;
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            underline = text[i] != '&';
        }
        Put(col + written, row, text[i], style, underline);
        ++written;
    }
    return written;
}

void TerminalCanvas::Fill(const CellRect& area, CellStyle style) {
    for (int row = area.m_Row; row < area.m_Row + area.m_Height; ++row) {
        for (int col = area.m_Col; col < area.m_Col + area.m_Width; ++col) {
            Put(col, row, ' ', style);
        }
    }
}

void TerminalCanvas::HorizontalLine(int col, int row, int width, CellStyle style) {
    for (int i = 0; i < width; ++i) {
        Put(col + i, row, LineGlyph::Horizontal, style);
    }
}

void TerminalCanvas::Box(const CellRect& area, CellStyle style) {
    if (area.m_Width < 2 || area.m_Height < 2) {
        HorizontalLine(area.m_Col, area.m_Row, area.m_Width, style);
        return;
    }
    const int right = area.m_Col + area.m_Width - 1;
    const int bottom = area.m_Row + area.m_Height - 1;
    HorizontalLine(area.m_Col + 1, area.m_Row, area.m_Width - 2, style);
    HorizontalLine(area.m_Col + 1, bottom, area.m_Width - 2, style);
    for (int row = area.m_Row + 1; row < bottom; ++row) {
        Put(area.m_Col, row, LineGlyph::Vertical, style);
        Put(right, row, LineGlyph::Vertical, style);
    }
    Put(area.m_Col, area.m_Row, LineGlyph::TopLeft, style);
    Put(right, area.m_Row, LineGlyph::TopRight, style);
    Put(area.m_Col, bottom, LineGlyph::BottomLeft, style);
    Put(right, bottom, LineGlyph::BottomRight, style);
}

std::string TerminalCanvas::RowText(int row) const {
    std::string text;
    if (row < 0 || row >= m_Rows) {
        return text;
    }
    for (int col = 0; col < m_Cols; ++col) {
        const char glyph = At(col, row).m_Glyph;
        switch (static_cast<LineGlyph>(glyph)) {
        case LineGlyph::Horizontal:
            text.push_back('-');
            break;
        case LineGlyph::Vertical:
            text.push_back('|');
            break;
        case LineGlyph::TopLeft:
        case LineGlyph::TopRight:
        case LineGlyph::BottomLeft:
        case LineGlyph::BottomRight:
            text.push_back('+');
            break;
        default:
            text.push_back(glyph);
        }
    }
    return text;
}

} // namespace dravo
