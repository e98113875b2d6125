// TerminalCanvas: a screen's worth of character cells with their styles, drawn by the terminal face
// and handed to the screen in one piece. Drawing outside the canvas is clipped.
#pragma once

#include "window/terminal/TerminalLayout.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// How a cell is shown; the screen maps each to colours or attributes.
enum class CellStyle : uint8_t {
    Normal,
    Title,         // title line or the frame's title
    Frame,         // frames and group boxes
    Field,         // edits, lists and logs
    FieldFocus,    // the field that has the focus
    Button,        //
    ButtonFocus,   //
    DefaultButton, // the button that Enter presses, without the focus
    Selected,      // the selected item of a list without the focus
    SelectedFocus, // the selected item of the list that has the focus
    Disabled,      //
    Busy,          // the busy sign
};

// Line pieces, kept apart from text so that the screen can draw them with its line characters.
enum class LineGlyph : char {
    Horizontal = '\x01',
    Vertical = '\x02',
    TopLeft = '\x03',
    TopRight = '\x04',
    BottomLeft = '\x05',
    BottomRight = '\x06',
};

struct Cell {
    // A character, a LineGlyph, or WIDE_RIGHT_HALF: the second cell of the wide character before it.
    char32_t m_Glyph = ' ';
    CellStyle m_Style = CellStyle::Normal;
    bool m_Underline = false; // the mnemonic letter
};

class TerminalCanvas {
public:
    static constexpr char32_t WIDE_RIGHT_HALF = 0;

    TerminalCanvas(int cols, int rows);

    int Cols() const { return m_Cols; }
    int Rows() const { return m_Rows; }
    const Cell& At(int col, int row) const { return m_Cells[Index(col, row)]; }

    void Clear();
    void Put(int col, int row, char glyph, CellStyle style, bool underline = false);
    void Put(int col, int row, LineGlyph glyph, CellStyle style);
    // Shows a cell in another style, keeping what it holds.
    void Restyle(int col, int row, CellStyle style);
    // Writes UTF-8 text from a cell, at most maxCols columns of it, whole characters only (a wide one
    // takes two cells, a byte that is not UTF-8 shows as '?'); returns the columns written.
    int Text(int col, int row, std::string_view text, CellStyle style, int maxCols);
    // Writes a control caption: "&x" underlines x and "&&" writes "&".
    int Caption(int col, int row, std::string_view text, CellStyle style, int maxCols);
    void Fill(const CellRect& area, CellStyle style);
    void Box(const CellRect& area, CellStyle style);
    void HorizontalLine(int col, int row, int width, CellStyle style);

    // A row as plain UTF-8 text, line pieces shown as "-", "|" and "+".
    std::string RowText(int row) const;

private:
    // Puts one character of text; returns the cells it took, 0 when it did not fit in `room`.
    int PutCharacter(int col, int row, char32_t code, CellStyle style, bool underline, int room);
    bool InRange(int col, int row) const { return col >= 0 && row >= 0 && col < m_Cols && row < m_Rows; }
    // The cell's place in m_Cells; the caller checked InRange.
    size_t Index(int col, int row) const {
        return static_cast<size_t>(row) * static_cast<size_t>(m_Cols) + static_cast<size_t>(col);
    }

    int m_Cols;
    int m_Rows;
    std::vector<Cell> m_Cells;
};

} // namespace dravo
