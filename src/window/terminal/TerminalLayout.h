// TerminalLayout: where a dialog's controls go on a screen of character cells.
//
// Dialog units become cells along each axis by a monotone map, so controls that do not overlap in the
// template do not overlap on the screen. Within that map every control keeps room for its text
// (labels, captions, buttons, check boxes), group boxes keep a cell of border round what they frame,
// controls side by side keep a blank column between them, and data fields (texts filled at run time,
// edits, lists, logs, pictures) share what is left in proportion to their size in dialog units -
// about 4 horizontal and 8 vertical units a cell at scale 1, growing on larger screens. A text field
// that is filled at run time keeps at least DATA_FIELD_COLUMNS when the screen allows it. The dialog
// gets a frame with its title in the top line when there is room, else only a title line.
#pragma once

#include "window/CutText.h"
#include "window/DialogTemplate.h"

#include <vector>

namespace dravo {

struct CellRect {
    int m_Col = 0;
    int m_Row = 0;
    int m_Width = 0;
    int m_Height = 0;

    bool Contains(int col, int row) const {
        return col >= m_Col && col < m_Col + m_Width && row >= m_Row && row < m_Row + m_Height;
    }
    bool Overlaps(const CellRect& other) const {
        return m_Col < other.m_Col + other.m_Width && other.m_Col < m_Col + m_Width &&
               m_Row < other.m_Row + other.m_Height && other.m_Row < m_Row + m_Height;
    }
    bool Empty() const { return m_Width <= 0 || m_Height <= 0; }
};

// Whether `outer` holds all of `inner`, in dialog units.
inline bool Holds(const DialogRect& outer, const DialogRect& inner) {
    return inner.m_X >= outer.m_X && inner.m_Y >= outer.m_Y && inner.m_X + inner.m_Width <= outer.m_X + outer.m_Width &&
           inner.m_Y + inner.m_Height <= outer.m_Y + outer.m_Height;
}

class TerminalLayout {
public:
    // Columns a button, the default button and a check box take beside their text.
    static constexpr int BUTTON_EXTRA = 2;         // "[" and "]"
    static constexpr int DEFAULT_BUTTON_EXTRA = 4; // "[[" and "]]": the button Enter presses
    static constexpr int CHECK_BOX_EXTRA = 4;      // "[x] "
    // Columns a run-time text field keeps when the screen allows (a level path, an address and port).
    static constexpr int DATA_FIELD_COLUMNS = 25;
    // A static taller than this holds several lines of text, which wrap.
    static constexpr int MULTI_LINE_STATIC_UNITS = ONE_LINE_TEXT_UNITS;
    // Most a data field grows, as a multiple of its size at 4 x 8 units a cell.
    static constexpr double MAX_SCALE = 2.0;

    TerminalLayout() = default;
    // Lays the template out on a screen of the given size, centred.
    TerminalLayout(const DialogTemplate& dialogTemplate, int screenCols, int screenRows);

    // The whole dialog, frame and title line included.
    const CellRect& Outer() const { return m_Outer; }
    // Where the dialog's own area (dialog unit 0, 0) begins and how big it is.
    const CellRect& Client() const { return m_Client; }
    bool Framed() const { return m_Framed; }
    // The cells of a control, by its index in the template; empty when it got no room.
    const CellRect& Control(size_t index) const { return m_Controls[index]; }
    size_t ControlCount() const { return m_Controls.size(); }
    // A list box tab stop, given in dialog units from the control's left edge, in columns.
    int TabStopColumn(size_t index, int stopUnits) const;
    // The line kept for a key legend at the foot of the screen; empty when there is none.
    const CellRect& Legend() const { return m_Legend; }

    // Rows the log keeps in the arrangement of LogBelow.
    static constexpr int MIN_LOG_ROWS = 10;
    // The arrangement of a dialog that is typed into first (the console window): its log, with the
    // input line under it, takes the whole width of the screen at the foot, above a legend line; the
    // other group boxes stand above it in two columns, each drawn as a rule with its caption over its
    // lines. Frames without a list keep the column their template puts them in and one line for each
    // line of controls; frames with a list share the rows of the column that has more left, and the
    // buttons below such a list sit on its rule. A taller screen gives a third of its extra rows to
    // the lists and the rest to the log. Where the screen is too small for that, or the template has
    // no log in a frame, it is the template's own arrangement.
    static TerminalLayout LogBelow(const DialogTemplate& dialogTemplate, int screenCols, int screenRows);

    // The whole dialog moved by so many rows, each control with it.
    void MoveDown(int rows);

    // The display width of a control text: "&" marks the mnemonic and is not shown, "&&" shows one.
    static int TextColumns(std::string_view text);

private:
    const DialogTemplate* m_Template = nullptr;
    CellRect m_Outer;
    CellRect m_Client;
    bool m_Framed = false;
    std::vector<CellRect> m_Controls;
    CellRect m_Legend;
};

} // namespace dravo
