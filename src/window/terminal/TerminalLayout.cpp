// Laying a dialog template out in character cells.
#include "window/terminal/TerminalLayout.h"

#include "window/terminal/TerminalAxis.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <span>
#include <utility>

namespace dravo {
namespace {

// Dialog units a cell stands for at scale 1.
constexpr double UNITS_PER_COLUMN = 4.0;
constexpr double UNITS_PER_ROW = 8.0;
// A group box's caption sits in its top line between a corner and a space on each side.
constexpr int GROUP_CAPTION_EXTRA = 4;
// The foot of a dialog: the last this many units, where its line and its buttons are.
constexpr int FOOT_UNITS = 32;

bool SameLine(const DialogRect& a, const DialogRect& b) {
    return a.m_Y < b.m_Y + b.m_Height && b.m_Y < a.m_Y + a.m_Height;
}

struct Axes {
    TerminalAxis Across;
    TerminalAxis Down;
};

// A static: lines of text as they are, a field filled at run time, or a label.
void RequireStatic(const ControlTemplate& control, Axes& axes) {
    const DialogRect& place = control.m_Place;
    const int left = place.m_X;
    const int right = place.m_X + place.m_Width;
    const int top = place.m_Y;
    const int bottom = place.m_Y + place.m_Height;
    const double columns = place.m_Width / UNITS_PER_COLUMN;
    if (place.m_Height > TerminalLayout::MULTI_LINE_STATIC_UNITS) {
        // A text laid out in lines keeps them as they are: grown, it would only show blank lines.
        axes.Across.Require(left, right, static_cast<int>(std::lround(columns)));
        axes.Down.Require(top, bottom, static_cast<int>(std::lround(place.m_Height / UNITS_PER_ROW)));
    } else if (control.m_Text.empty() && control.m_Id != NO_CONTROL_ID) {
        // Filled at run time: it keeps room for a typical value when it can.
        const int data = std::min(TerminalLayout::DATA_FIELD_COLUMNS, static_cast<int>(std::ceil(columns)));
        axes.Across.Require(left, right, 1, columns, data);
        axes.Down.RequireLine(top, bottom, 1);
    } else {
        axes.Across.Require(left, right, TerminalLayout::TextColumns(control.m_Text));
        axes.Down.RequireLine(top, bottom, control.m_Text.empty() ? 0 : 1);
    }
}

// Columns a button or a check box takes beside its caption.
int CaptionExtra(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
        return TerminalLayout::BUTTON_EXTRA;
    case ControlKind::DefaultPushButton:
        return TerminalLayout::DEFAULT_BUTTON_EXTRA;
    default:
        return TerminalLayout::CHECK_BOX_EXTRA;
    }
}

// What each control needs along each axis.
void RequireControl(const ControlTemplate& control, Axes& axes) {
    const DialogRect& place = control.m_Place;
    const int left = place.m_X;
    const int right = place.m_X + place.m_Width;
    const int top = place.m_Y;
    const int bottom = place.m_Y + place.m_Height;
    const double columns = place.m_Width / UNITS_PER_COLUMN;
    const double rows = place.m_Height / UNITS_PER_ROW;
    switch (control.m_Kind) {
    case ControlKind::GroupBox:
        axes.Across.Require(left, right, TerminalLayout::TextColumns(control.m_Text) + GROUP_CAPTION_EXTRA);
        axes.Down.Require(top, bottom, 2);
        return;
    case ControlKind::Static:
        RequireStatic(control, axes);
        return;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
        axes.Across.Require(left, right, TerminalLayout::TextColumns(control.m_Text) + CaptionExtra(control.m_Kind));
        axes.Down.RequireLine(top, bottom, 1);
        return;
    case ControlKind::Edit:
        axes.Across.Require(left, right, 1, columns);
        if (HasFlag(control.m_Flags, ControlFlag::MultiLine)) {
            axes.Down.Require(top, bottom, 1, rows);
        } else {
            axes.Down.RequireLine(top, bottom, 1);
        }
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
        axes.Down.RequireLine(top, bottom, 1);
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
        axes.Down.MarkStart(control.m_Place.m_Y);
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
            if (&control == &group || !Holds(outer, inner)) {
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

// Check boxes stacked in one column at one step in the template come out at one step on the screen:
// the least step the spread gave any of them. Moving a box up within its stack never meets another
// control, since nothing stands between two boxes of a stack in the template.
void EvenOutStacks(std::span<const ControlTemplate> controls, std::vector<CellRect>& cells) {
    const auto isBox = [controls](size_t index) { return controls[index].m_Kind == ControlKind::CheckBox; };
    for (size_t first = 0; first < controls.size(); ++first) {
        if (!isBox(first)) {
            continue;
        }
        std::vector<size_t> stack = {first};
        for (size_t next = first + 1; next < controls.size() && isBox(next); ++next) {
            const DialogRect& place = controls[next].m_Place;
            const DialogRect& before = controls[stack.back()].m_Place;
            const int step = place.m_Y - before.m_Y;
            if (place.m_X != before.m_X || step <= 0 ||
                (stack.size() > 1 && step != before.m_Y - controls[stack[stack.size() - 2]].m_Place.m_Y)) {
                break;
            }
            stack.push_back(next);
        }
        if (stack.size() < 3) {
            continue;
        }
        int least = cells[stack[1]].m_Row - cells[stack[0]].m_Row;
        for (size_t box = 2; box < stack.size(); ++box) {
            least = std::min(least, cells[stack[box]].m_Row - cells[stack[box - 1]].m_Row);
        }
        if (least < 1) {
            continue; // squeezed onto one line: the screen is too small to mend it
        }
        for (size_t box = 0; box < stack.size(); ++box) {
            cells[stack[box]].m_Row = cells[stack[0]].m_Row + static_cast<int>(box) * least;
            cells[stack[box]].m_Height = std::min(cells[stack[box]].m_Height, least);
        }
        first = stack.back();
    }
}

// Whether a control takes one line of text whatever its place: a field, a button, a label.
bool IsOneLine(const ControlTemplate& control) {
    switch (control.m_Kind) {
    case ControlKind::Edit:
        return !HasFlag(control.m_Flags, ControlFlag::MultiLine);
    case ControlKind::Static:
        return control.m_Place.m_Height <= TerminalLayout::MULTI_LINE_STATIC_UNITS;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
    case ControlKind::Separator:
        return true;
    default:
        return false;
    }
}

// A frame round one line of controls (the server's name) is that line and its border, however many rows
// the spread gave its place: the line moves up under the frame's top, and the frame ends below it, inside
// the cells it had.
void TightenOneLineFrames(std::span<const ControlTemplate> controls, std::vector<CellRect>& cells) {
    for (size_t group = 0; group < controls.size(); ++group) {
        if (controls[group].m_Kind != ControlKind::GroupBox) {
            continue;
        }
        std::vector<size_t> members;
        bool oneLine = true;
        for (size_t index = 0; index < controls.size() && oneLine; ++index) {
            if (index == group || !Holds(controls[group].m_Place, controls[index].m_Place)) {
                continue;
            }
            oneLine = IsOneLine(controls[index]) && cells[index].m_Height == 1 &&
                      (members.empty() || cells[members.front()].m_Row == cells[index].m_Row);
            members.push_back(index);
        }
        CellRect& frame = cells[group];
        // A frame of fewer than three rows stays as solved: made taller it could cover what stands below it.
        if (!oneLine || members.empty() || frame.m_Height < 3 ||
            cells[members.front()].m_Row + 1 >= frame.m_Row + frame.m_Height) {
            continue;
        }
        for (const size_t member : members) {
            cells[member].m_Row = frame.m_Row + 1;
        }
        frame.m_Height = 3;
    }
}

// The buttons at the foot of a dialog that fills the screen stand where their template puts them in
// proportion to its width, so that dialogs of one size (the setup pages) show them in the same columns
// whatever else they hold; where that leaves one too narrow, or two overlapping, they stay as solved.
void PlaceFootButtons(const DialogTemplate& dialogTemplate, const CellRect& client, std::vector<CellRect>& cells) {
    const auto controls = dialogTemplate.m_Controls;
    const int footUnits = dialogTemplate.m_Height - FOOT_UNITS;
    std::vector<size_t> foot;
    for (size_t index = 0; index < controls.size(); ++index) {
        const ControlKind kind = controls[index].m_Kind;
        if ((kind == ControlKind::PushButton || kind == ControlKind::DefaultPushButton) &&
            controls[index].m_Place.m_Y >= footUnits) {
            foot.push_back(index);
        }
    }
    std::ranges::sort(foot,
                      [controls](size_t a, size_t b) { return controls[a].m_Place.m_X < controls[b].m_Place.m_X; });
    const auto columnOf = [&](int units) {
        return client.m_Col + static_cast<int>(std::lround(1.0 * units * client.m_Width / dialogTemplate.m_Width));
    };
    std::vector<CellRect> placed;
    int previousEnd = client.m_Col;
    for (const size_t index : foot) {
        const DialogRect& place = controls[index].m_Place;
        const int col = columnOf(place.m_X);
        const int width = columnOf(place.m_X + place.m_Width) - col;
        const int extra = controls[index].m_Kind == ControlKind::DefaultPushButton
                              ? TerminalLayout::DEFAULT_BUTTON_EXTRA
                              : TerminalLayout::BUTTON_EXTRA;
        if (width < TerminalLayout::TextColumns(controls[index].m_Text) + extra || col < previousEnd) {
            return;
        }
        placed.push_back(CellRect{col, cells[index].m_Row, width, cells[index].m_Height});
        previousEnd = col + width; // touching is fine: a button is drawn in the middle of its cells
    }
    for (size_t button = 0; button < foot.size(); ++button) {
        cells[foot[button]] = placed[button];
    }
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
    EvenOutStacks(dialogTemplate.m_Controls, m_Controls);
    TightenOneLineFrames(dialogTemplate.m_Controls, m_Controls);
    if (FillsTheScreen(dialogTemplate)) {
        PlaceFootButtons(dialogTemplate, m_Client, m_Controls);
    }
}

void TerminalLayout::MoveDown(int rows) {
    for (CellRect* cells : {&m_Outer, &m_Client, &m_Legend}) {
        cells->m_Row += rows;
    }
    for (CellRect& cells : m_Controls) {
        cells.m_Row += rows;
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
