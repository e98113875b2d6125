// Drawing into a grid of character cells.
#include "window/terminal/TerminalCanvas.h"

#include "window/terminal/TerminalText.h"

#include <algorithm>

namespace dravo {

TerminalCanvas::TerminalCanvas(int cols, int rows)
    : m_Cols(std::max(cols, 0)), m_Rows(std::max(rows, 0)), m_Cells(static_cast<size_t>(m_Cols * m_Rows)) {}

void TerminalCanvas::Clear() {
    std::fill(m_Cells.begin(), m_Cells.end(), Cell{});
}

void TerminalCanvas::Put(int col, int row, char glyph, CellStyle style, bool underline) {
    if (InRange(col, row)) {
        // Control characters would upset the screen; they show as blanks. A byte beyond ASCII is a part
        // of a character, which Text writes whole.
        const auto byte = static_cast<unsigned char>(glyph);
        const char32_t shown = byte < 0x20 || byte == 0x7f ? U' ' : byte >= 0x80 ? TerminalText::REPLACEMENT : byte;
        m_Cells[Index(col, row)] = Cell{shown, style, underline};
    }
}

void TerminalCanvas::Put(int col, int row, LineGlyph glyph, CellStyle style) {
    if (InRange(col, row)) {
        m_Cells[Index(col, row)] = Cell{static_cast<char32_t>(glyph), style, false};
    }
}

void TerminalCanvas::Restyle(int col, int row, CellStyle style) {
    if (InRange(col, row)) {
        m_Cells[Index(col, row)].m_Style = style;
    }
}

int TerminalCanvas::PutCharacter(int col, int row, char32_t code, CellStyle style, bool underline, int room) {
    if (!TerminalText::Shown(code)) {
        code = code < 0x20 ? U' ' : TerminalText::REPLACEMENT; // as Put shows control characters
    }
    const int width = TerminalText::Width(code);
    if (width > room) {
        return 0;
    }
    if (InRange(col, row)) {
        m_Cells[Index(col, row)] = Cell{code, style, underline};
    }
    if (width == 2 && InRange(col + 1, row)) {
        m_Cells[Index(col + 1, row)] = Cell{WIDE_RIGHT_HALF, style, false};
    }
    return width;
}

int TerminalCanvas::Text(int col, int row, std::string_view text, CellStyle style, int maxCols) {
    int written = 0;
    for (size_t at = 0; at < text.size(); at = TerminalText::Next(text, at)) {
        const int width =
            PutCharacter(col + written, row, TerminalText::At(text, at).m_Code, style, false, maxCols - written);
        if (width == 0) {
            break;
        }
        written += width;
    }
    return written;
}

int TerminalCanvas::Caption(int col, int row, std::string_view text, CellStyle style, int maxCols) {
    int written = 0;
    for (size_t at = 0; at < text.size();) {
        bool underline = false;
        if (text[at] == '&' && at + 1 < text.size()) {
            ++at;
            underline = text[at] != '&';
        }
        const TextCharacter character = TerminalText::At(text, at);
        const int width = PutCharacter(col + written, row, character.m_Code, style, underline, maxCols - written);
        if (width == 0) {
            break;
        }
        written += width;
        at += character.m_Bytes;
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
        const char32_t glyph = At(col, row).m_Glyph;
        if (glyph == WIDE_RIGHT_HALF) {
            continue; // the character before it takes this cell too
        }
        if (glyph >= 0x80) {
            char bytes[4];
            text.append(bytes, TerminalText::Encode(glyph, bytes));
            continue;
        }
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
            text.push_back(static_cast<char>(glyph));
        }
    }
    return text;
}

} // namespace dravo
