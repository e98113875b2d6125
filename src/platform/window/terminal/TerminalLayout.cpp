// Laying a dialog template out in character cells.
#include "platform/window/terminal/TerminalLayout.h"

#include "platform/window/terminal/TerminalAxis.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace dravo {
namespace {

// Dialog units a cell stands for at scale 1.
constexpr double UNITS_PER_COLUMN = 4.0;
constexpr double UNITS_PER_ROW = 8.0;
// A group box's caption sits in its top line between a corner and a space on each side.
constexpr int GROUP_CAPTION_EXTRA = 4;
constexpr int BUTTON_EXTRA = 2;    // "[" and "]"
constexpr int CHECK_BOX_EXTRA = 4; // "[x] "

bool Inside(const DialogRect& inner, const DialogRect& outer) {
    return inner.m_X >= outer.m_X && inner.m_Y >= outer.m_Y && inner.m_X + inner.m_Width <= outer.m_X + outer.m_Width &&
           inner.m_Y + inner.m_Height <= outer.m_Y + outer.m_Height;
}

bool SameLine(const DialogRect& a, const DialogRect& b) {
    return a.m_Y < b.m_Y + b.m_Height && b.m_Y < a.m_Y + a.m_Height;
}

struct Axes {
    TerminalAxis Across;
    TerminalAxis Down;
};

// What each control needs along each axis.
void RequireControl(const ControlTemplate& control, Axes& axes) {
    const DialogRect& place = control.m_Place;
    const int left = place.m_X;
    const int right = place.m_X + place.m_Width;
    const int top = place.m_Y;
    const int bottom = place.m_Y + place.m_Height;
    const double columns = place.m_Width / UNITS_PER_COLUMN;
    const double rows = place.m_Height / UNITS_PER_ROW;
    const int text = TerminalLayout::TextColumns(control.m_Text);
    const bool multiLine = HasFlag(control.m_Flags, ControlFlag::MultiLine);
    switch (control.m_Kind) {
    case ControlKind::GroupBox:
        axes.Across.Require(left, right, text + GROUP_CAPTION_EXTRA);
        axes.Down.Require(top, bottom, 2);
        return;
    case ControlKind::Static:
        if (place.m_Height > TerminalLayout::MULTI_LINE_STATIC_UNITS) {
            // A text laid out in lines keeps them as they are: grown, it would only show blank lines.
            axes.Across.Require(left, right, static_cast<int>(std::lround(columns)));
            axes.Down.Require(top, bottom, static_cast<int>(std::lround(rows)));
        } else if (control.m_Text.empty() && control.m_Id != NO_CONTROL_ID) {
            // Filled at run time: it keeps room for a typical value when it can.
            const int data = std::min(TerminalLayout::DATA_FIELD_COLUMNS, static_cast<int>(std::ceil(columns)));
            axes.Across.Require(left, right, 1, columns, data);
            axes.Down.Require(top, bottom, 1);
        } else {
            axes.Across.Require(left, right, text);
            axes.Down.Require(top, bottom, control.m_Text.empty() ? 0 : 1);
        }
        return;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        axes.Across.Require(left, right, text + BUTTON_EXTRA);
        axes.Down.Require(top, bottom, 1);
        return;
    case ControlKind::CheckBox:
        axes.Across.Require(left, right, text + CHECK_BOX_EXTRA);
        axes.Down.Require(top, bottom, 1);
        return;
    case ControlKind::Edit:
        axes.Across.Require(left, right, 1, columns);
        axes.Down.Require(top, bottom, 1, multiLine ? rows : 0.0);
        return;
    case ControlKind::ListBox:
        axes.Across.Require(left, right, 1, columns);
        axes.Down.Require(top, bottom, 1, rows);
        return;
    case ControlKind::Bitmap: // a picture of characters does not grow with its place
        axes.Across.Require(left, right, static_cast<int>(std::lround(columns)));
        axes.Down.Require(top, bottom, static_cast<int>(std::lround(rows)));
        return;
    case ControlKind::Separator:
        axes.Across.Require(left, right, 1);
        axes.Down.Require(top, bottom, 1);
        return;
    }
}

// A dialog with a list, a log or a picture takes the room its template would take at the largest
// scale, as far as the screen goes, so that dialogs of one size (the setup pages) come out the same
// size whatever their controls; others (message boxes) keep what their controls need.
bool FillsTheScreen(const DialogTemplate& dialogTemplate) {
    return std::ranges::any_of(dialogTemplate.m_Controls, [](const ControlTemplate& control) {
        return control.m_Kind == ControlKind::ListBox || control.m_Kind == ControlKind::Bitmap ||
               (control.m_Kind == ControlKind::Edit && HasFlag(control.m_Flags, ControlFlag::MultiLine));
    });
}

int FillCells(const DialogTemplate& dialogTemplate, int units, double unitsPerCell) {
    return FillsTheScreen(dialogTemplate)
               ? static_cast<int>(std::lround(units / unitsPerCell * TerminalLayout::MAX_SCALE))
               : 0;
}

Axes BuildAxes(const DialogTemplate& dialogTemplate, bool framed) {
    Axes axes{TerminalAxis(dialogTemplate.m_Width, static_cast<int>(UNITS_PER_COLUMN / 2)),
              TerminalAxis(dialogTemplate.m_Height, static_cast<int>(UNITS_PER_ROW / 2))};
    const auto controls = dialogTemplate.m_Controls;
    for (const ControlTemplate& control : controls) {
        RequireControl(control, axes);
        if (framed) { // a blank column inside the frame on either side
            axes.Across.Require(0, control.m_Place.m_X, 1);
            axes.Across.Require(control.m_Place.m_X + control.m_Place.m_Width, dialogTemplate.m_Width, 1);
        }
    }
    for (const ControlTemplate& group : controls) {
        if (group.m_Kind != ControlKind::GroupBox) {
            continue;
        }
        const DialogRect& outer = group.m_Place;
        for (const ControlTemplate& control : controls) {
            const DialogRect& inner = control.m_Place;
            if (&control == &group || !Inside(inner, outer)) {
                continue;
            }
            axes.Across.Require(outer.m_X, inner.m_X, 1);
            axes.Across.Require(inner.m_X + inner.m_Width, outer.m_X + outer.m_Width, 1);
            axes.Down.Require(outer.m_Y, inner.m_Y, 1);
            axes.Down.Require(inner.m_Y + inner.m_Height, outer.m_Y + outer.m_Height, 1);
        }
    }
    // A blank column between controls side by side, so that a label never runs into its field.
    for (const ControlTemplate& first : controls) {
        for (const ControlTemplate& second : controls) {
            if (first.m_Kind == ControlKind::GroupBox || second.m_Kind == ControlKind::GroupBox ||
                first.m_Place.m_X + first.m_Place.m_Width > second.m_Place.m_X ||
                !SameLine(first.m_Place, second.m_Place) || &first == &second) {
                continue;
            }
            axes.Across.Require(first.m_Place.m_X + first.m_Place.m_Width, second.m_Place.m_X, 1);
        }
    }
    return axes;
}

} // namespace

int TerminalLayout::TextColumns(std::string_view text) {
    int columns = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i; // "&x" shows x; "&&" shows "&"
        }
        ++columns;
    }
    return columns;
}

TerminalLayout::TerminalLayout(const DialogTemplate& dialogTemplate, int screenCols, int screenRows)
    : m_Template(&dialogTemplate) {
    struct Attempt {
        bool Framed;
        bool KeepData;
    };
    constexpr Attempt ATTEMPTS[] = {{true, true}, {false, true}, {false, false}};
    std::optional<Axes> chosen;
    for (const Attempt& attempt : ATTEMPTS) {
        Axes axes = BuildAxes(dialogTemplate, attempt.Framed);
        const int cols = attempt.Framed ? screenCols - 2 : screenCols;
        const int rows = attempt.Framed ? screenRows - 2 : screenRows - 1;
        const bool acrossFits = axes.Across.Solve(cols, MAX_SCALE, attempt.KeepData,
                                                  FillCells(dialogTemplate, dialogTemplate.m_Width, UNITS_PER_COLUMN));
        const bool downFits = axes.Down.Solve(rows, MAX_SCALE, attempt.KeepData,
                                              FillCells(dialogTemplate, dialogTemplate.m_Height, UNITS_PER_ROW));
        m_Framed = attempt.Framed;
        chosen.emplace(std::move(axes));
        if (acrossFits && downFits) {
            break; // the last attempt is kept even when it does not fit: it is clipped
        }
    }
    const Axes& axes = *chosen;
    const int frame = m_Framed ? 1 : 0;
    m_Outer.m_Width = axes.Across.Extent() + 2 * frame;
    m_Outer.m_Height = axes.Down.Extent() + 1 + frame;
    m_Outer.m_Col = std::max(0, (screenCols - m_Outer.m_Width) / 2);
    m_Outer.m_Row = std::max(0, (screenRows - m_Outer.m_Height) / 2);
    m_Client = {m_Outer.m_Col + frame, m_Outer.m_Row + 1, axes.Across.Extent(), axes.Down.Extent()};
    for (const ControlTemplate& control : dialogTemplate.m_Controls) {
        const DialogRect& place = control.m_Place;
        const int col = axes.Across.Cell(place.m_X);
        const int row = axes.Down.Cell(place.m_Y);
        m_Controls.push_back(CellRect{m_Client.m_Col + col, m_Client.m_Row + row,
                                      axes.Across.Cell(place.m_X + place.m_Width) - col,
                                      axes.Down.Cell(place.m_Y + place.m_Height) - row});
    }
}

int TerminalLayout::TabStopColumn(size_t index, int stopUnits) const {
    const int units = m_Template->m_Controls[index].m_Place.m_Width;
    if (units <= 0) {
        return stopUnits;
    }
    return static_cast<int>(std::lround(1.0 * stopUnits * m_Controls[index].m_Width / units));
}

} // namespace dravo
