// Laying a dialog template out in character cells.
#include "platform/window/terminal/TerminalLayout.h"

#include "platform/window/terminal/TerminalAxis.h"

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
constexpr int BUTTON_EXTRA = 2;         // "[" and "]"
constexpr int DEFAULT_BUTTON_EXTRA = 4; // "[[" and "]]": the button Enter presses
// The foot of a dialog: the last this many units, where its line and its buttons are.
constexpr int FOOT_UNITS = 32;
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
            axes.Down.RequireLine(top, bottom, 1);
        } else {
            axes.Across.Require(left, right, text);
            axes.Down.RequireLine(top, bottom, control.m_Text.empty() ? 0 : 1);
        }
        return;
    case ControlKind::PushButton:
        axes.Across.Require(left, right, text + BUTTON_EXTRA);
        axes.Down.RequireLine(top, bottom, 1);
        return;
    case ControlKind::DefaultPushButton:
        axes.Across.Require(left, right, text + DEFAULT_BUTTON_EXTRA);
        axes.Down.RequireLine(top, bottom, 1);
        return;
    case ControlKind::CheckBox:
        axes.Across.Require(left, right, text + CHECK_BOX_EXTRA);
        axes.Down.RequireLine(top, bottom, 1);
        return;
    case ControlKind::Edit:
        axes.Across.Require(left, right, 1, columns);
        if (multiLine) {
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

// The frame a control stands in: the smallest group box whose place holds it; -1 for none.
int OwnerFrame(std::span<const ControlTemplate> controls, size_t index) {
    int owner = -1;
    int ownerArea = 0;
    for (size_t group = 0; group < controls.size(); ++group) {
        const DialogRect& place = controls[group].m_Place;
        if (group == index || controls[group].m_Kind != ControlKind::GroupBox ||
            !Inside(controls[index].m_Place, place)) {
            continue;
        }
        const int area = place.m_Width * place.m_Height;
        if (owner < 0 || area < ownerArea) {
            owner = static_cast<int>(group);
            ownerArea = area;
        }
    }
    return owner;
}

// A group box of the arrangement with the log below, and the controls it holds that are shown.
struct StackedFrame {
    size_t m_Group = 0;
    std::vector<size_t> m_Members;
    int m_List = -1; // its list box
    int m_LabelColumns = 0;
};

// Controls whose tops lie within this many units of the first of a line share the line.
constexpr int LINE_SNAP_UNITS = 4;
// Rows a list keeps at the least in the arrangement with the log below.
constexpr int MIN_STACKED_LIST_ROWS = 2;

// The frame's members other than its list in lines, each line from left to right.
std::vector<std::vector<size_t>> LinesOf(std::span<const ControlTemplate> controls, const StackedFrame& frame) {
    std::vector<size_t> members;
    std::ranges::copy_if(frame.m_Members, std::back_inserter(members),
                         [&frame](size_t member) { return static_cast<int>(member) != frame.m_List; });
    std::ranges::sort(members, [controls](size_t a, size_t b) {
        return std::pair(controls[a].m_Place.m_Y, controls[a].m_Place.m_X) <
               std::pair(controls[b].m_Place.m_Y, controls[b].m_Place.m_X);
    });
    std::vector<std::vector<size_t>> lines;
    int lineTop = 0;
    for (const size_t member : members) {
        if (lines.empty() || controls[member].m_Place.m_Y - lineTop >= LINE_SNAP_UNITS) {
            lines.emplace_back();
            lineTop = controls[member].m_Place.m_Y;
        }
        lines.back().push_back(member);
    }
    for (auto& line : lines) {
        std::ranges::sort(line,
                          [controls](size_t a, size_t b) { return controls[a].m_Place.m_X < controls[b].m_Place.m_X; });
    }
    return lines;
}

// Columns a control of a line takes; 0 for a data field, which shares what the others leave.
int NaturalColumns(const ControlTemplate& control, int labelColumns) {
    const int text = TerminalLayout::TextColumns(control.m_Text);
    switch (control.m_Kind) {
    case ControlKind::PushButton:
        return text + BUTTON_EXTRA;
    case ControlKind::DefaultPushButton:
        return text + DEFAULT_BUTTON_EXTRA;
    case ControlKind::CheckBox:
        return text + CHECK_BOX_EXTRA;
    case ControlKind::Static:
        if (control.m_Text.empty()) {
            return 0;
        }
        return HasFlag(control.m_Flags, ControlFlag::RightAligned) ? std::max(labelColumns, text) : text;
    default:
        return 0;
    }
}

// Columns a line needs at the least: what its controls take, a column for each data field, the blanks.
int LineColumns(std::span<const ControlTemplate> controls, const std::vector<size_t>& line, int labelColumns) {
    int columns = static_cast<int>(line.size()) - 1;
    for (const size_t member : line) {
        columns += std::max(NaturalColumns(controls[member], labelColumns), 1);
    }
    return columns;
}

void PlaceLine(std::span<const ControlTemplate> controls, const std::vector<size_t>& line, const CellRect& room,
               int labelColumns, std::vector<CellRect>& cells) {
    int fixed = static_cast<int>(line.size()) - 1;
    int data = 0;
    for (const size_t member : line) {
        const int natural = NaturalColumns(controls[member], labelColumns);
        fixed += natural;
        data += natural == 0 ? 1 : 0;
    }
    const int rest = std::max(room.m_Width - fixed, 0);
    int col = room.m_Col;
    int dataIndex = 0;
    for (const size_t member : line) {
        int width = NaturalColumns(controls[member], labelColumns);
        if (width == 0) {
            width = rest / data + (dataIndex++ < rest % data ? 1 : 0);
        }
        cells[member] = CellRect{col, room.m_Row, width, 1};
        col += width + 1;
    }
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
        const int extra =
            controls[index].m_Kind == ControlKind::DefaultPushButton ? DEFAULT_BUTTON_EXTRA : BUTTON_EXTRA;
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
    if (FillsTheScreen(dialogTemplate)) {
        PlaceFootButtons(dialogTemplate, m_Client, m_Controls);
    }
}

TerminalLayout TerminalLayout::LogBelow(const DialogTemplate& dialogTemplate, int screenCols, int screenRows) {
    const auto controls = dialogTemplate.m_Controls;
    const auto log = std::ranges::find_if(controls, [](const ControlTemplate& control) {
        return control.m_Kind == ControlKind::Edit && HasFlag(control.m_Flags, ControlFlag::MultiLine);
    });
    if (log == controls.end()) {
        return {dialogTemplate, screenCols, screenRows};
    }
    const auto logIndex = static_cast<size_t>(log - controls.begin());
    std::vector<StackedFrame> frames;
    std::vector<int> frameOf(controls.size(), -1);
    for (size_t index = 0; index < controls.size(); ++index) {
        if (controls[index].m_Kind == ControlKind::GroupBox) {
            frameOf[index] = static_cast<int>(frames.size());
            frames.push_back(StackedFrame{index, {}, -1, 0});
        }
    }
    for (size_t index = 0; index < controls.size(); ++index) {
        const ControlTemplate& control = controls[index];
        if (control.m_Kind == ControlKind::GroupBox || HasFlag(control.m_Flags, ControlFlag::Hidden)) {
            continue;
        }
        const int owner = OwnerFrame(controls, index);
        if (owner < 0) {
            return {dialogTemplate, screenCols, screenRows}; // a control outside every frame
        }
        StackedFrame& frame = frames[static_cast<size_t>(frameOf[static_cast<size_t>(owner)])];
        frame.m_Members.push_back(index);
        if (control.m_Kind == ControlKind::ListBox) {
            if (frame.m_List >= 0) {
                return {dialogTemplate, screenCols, screenRows};
            }
            frame.m_List = static_cast<int>(index);
        }
        if (control.m_Kind == ControlKind::Static && HasFlag(control.m_Flags, ControlFlag::RightAligned)) {
            frame.m_LabelColumns = std::max(frame.m_LabelColumns, TextColumns(control.m_Text));
        }
    }
    // Labels line up across the frames, so that the values of all of them begin in one column.
    int labelColumns = 0;
    for (const StackedFrame& frame : frames) {
        labelColumns = std::max(labelColumns, frame.m_LabelColumns);
    }
    for (StackedFrame& frame : frames) {
        frame.m_LabelColumns = labelColumns;
    }
    const int logOwner = OwnerFrame(controls, logIndex);
    if (logOwner < 0) {
        return {dialogTemplate, screenCols, screenRows};
    }
    const auto logFrame = static_cast<size_t>(frameOf[static_cast<size_t>(logOwner)]);
    std::erase(frames[logFrame].m_Members, logIndex); // what remains is the input line

    // The columns: frames without a list where their template puts them, the framed lists below them
    // in the column that has more rows left.
    const int leftWidth = screenCols / 2;
    const CellRect columnRooms[2] = {{0, 1, leftWidth, 0}, {leftWidth + 1, 1, screenCols - leftWidth - 1, 0}};
    std::vector<size_t> columns[2];
    std::vector<size_t> lists;
    int used[2] = {0, 0};
    for (size_t frame = 0; frame < frames.size(); ++frame) {
        if (frame == logFrame) {
            continue;
        }
        if (frames[frame].m_List >= 0) {
            lists.push_back(frame);
            continue;
        }
        const DialogRect& place = controls[frames[frame].m_Group].m_Place;
        const int side = 2 * place.m_X + place.m_Width > dialogTemplate.m_Width ? 1 : 0;
        columns[side].push_back(frame);
        used[side] += 1 + static_cast<int>(LinesOf(controls, frames[frame]).size());
        for (const auto& line : LinesOf(controls, frames[frame])) {
            if (LineColumns(controls, line, frames[frame].m_LabelColumns) > columnRooms[side].m_Width - 1) {
                return {dialogTemplate, screenCols, screenRows};
            }
        }
    }
    for (auto& column : columns) {
        std::ranges::stable_sort(column, [&](size_t a, size_t b) {
            return controls[frames[a].m_Group].m_Place.m_Y < controls[frames[b].m_Group].m_Place.m_Y;
        });
    }
    std::ranges::stable_sort(lists, [&](size_t a, size_t b) {
        return controls[frames[a].m_Group].m_Place.m_Y < controls[frames[b].m_Group].m_Place.m_Y;
    });
    const int listSide = used[0] <= used[1] ? 0 : 1;
    const int listCount = static_cast<int>(lists.size());
    const auto inputLines = LinesOf(controls, frames[logFrame]);
    const int bottomRows = 1 + MIN_LOG_ROWS + static_cast<int>(inputLines.size());
    int topRows = std::max({used[0], used[1], used[listSide] + listCount * (1 + MIN_STACKED_LIST_ROWS)});
    const int extra = screenRows - 2 - topRows - bottomRows; // less the title line and the legend
    if (extra < 0 ||
        screenCols - 2 < LineColumns(controls, inputLines.empty() ? std::vector<size_t>{} : inputLines.front(), 0)) {
        return {dialogTemplate, screenCols, screenRows};
    }
    topRows += extra / 3;
    const int logRows = MIN_LOG_ROWS + extra - extra / 3;

    TerminalLayout layout;
    layout.m_Template = &dialogTemplate;
    layout.m_Outer = CellRect{0, 0, screenCols, screenRows};
    layout.m_Client = CellRect{0, 1, screenCols, screenRows - 1};
    layout.m_Controls.assign(controls.size(), CellRect{});
    layout.m_Legend = CellRect{0, screenRows - 1, screenCols, 1};
    std::vector<CellRect>& cells = layout.m_Controls;
    for (int side = 0; side < 2; ++side) {
        const CellRect& room = columnRooms[side];
        int row = room.m_Row;
        for (const size_t frame : columns[side]) {
            cells[frames[frame].m_Group] = CellRect{room.m_Col, row++, room.m_Width, 1};
            for (const auto& line : LinesOf(controls, frames[frame])) {
                PlaceLine(controls, line, CellRect{room.m_Col + 1, row++, room.m_Width - 1, 1},
                          frames[frame].m_LabelColumns, cells);
            }
        }
        if (side != listSide || listCount == 0) {
            continue;
        }
        const int share = topRows - used[side];
        for (int list = 0; list < listCount; ++list) {
            const StackedFrame& frame = frames[lists[static_cast<size_t>(list)]];
            const int rowsOfFrame = share / listCount + (list < share % listCount ? 1 : 0);
            cells[frame.m_Group] = CellRect{room.m_Col, row, room.m_Width, 1};
            cells[static_cast<size_t>(frame.m_List)] =
                CellRect{room.m_Col + 1, row + 1, room.m_Width - 1, rowsOfFrame - 1};
            // What stands below the list sits at the right end of the rule, a column in from its end.
            int col = room.m_Col + room.m_Width - 1;
            for (const auto& line : LinesOf(controls, frame)) {
                for (auto member = line.rbegin(); member != line.rend(); ++member) {
                    const int width = std::max(NaturalColumns(controls[*member], 0), 1);
                    col -= width;
                    cells[*member] = CellRect{col, row, width, 1};
                    --col;
                }
            }
            row += rowsOfFrame;
        }
    }
    const int ruleRow = 1 + topRows;
    cells[frames[logFrame].m_Group] = CellRect{0, ruleRow, screenCols, 1};
    cells[logIndex] = CellRect{1, ruleRow + 1, screenCols - 2, logRows};
    int row = ruleRow + 1 + logRows;
    for (const auto& line : inputLines) {
        PlaceLine(controls, line, CellRect{1, row++, screenCols - 2, 1}, frames[logFrame].m_LabelColumns, cells);
    }
    return layout;
}

int TerminalLayout::TabStopColumn(size_t index, int stopUnits) const {
    const int units = m_Template->m_Controls[index].m_Place.m_Width;
    if (units <= 0) {
        return stopUnits;
    }
    return static_cast<int>(std::lround(1.0 * stopUnits * m_Controls[index].m_Width / units));
}

} // namespace dravo
