// The console's arrangement: the frames stacked in two columns above a log that takes the screen's width.
#include "window/terminal/TerminalLayout.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <utility>

namespace dravo {
namespace {

// The frame a control stands in: the smallest group box whose place holds it; -1 for none.
int OwnerFrame(std::span<const ControlTemplate> controls, size_t index) {
    int owner = -1;
    int ownerArea = 0;
    for (size_t group = 0; group < controls.size(); ++group) {
        const DialogRect& place = controls[group].m_Place;
        if (group == index || controls[group].m_Kind != ControlKind::GroupBox ||
            !Holds(place, controls[index].m_Place)) {
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
        return text + TerminalLayout::BUTTON_EXTRA;
    case ControlKind::DefaultPushButton:
        return text + TerminalLayout::DEFAULT_BUTTON_EXTRA;
    case ControlKind::CheckBox:
        return text + TerminalLayout::CHECK_BOX_EXTRA;
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

// The frames of the arrangement with the log below, and where each goes.
struct StackPlan {
    std::vector<StackedFrame> m_Frames;
    size_t m_LogIndex = 0;            // the log
    size_t m_LogFrame = 0;            // the frame that holds the log and the input line
    std::vector<size_t> m_Columns[2]; // frames without a list, top to bottom, left and right
    std::vector<size_t> m_Lists;      // frames with a list, top to bottom
    int m_Used[2] = {0, 0};           // rows the frames without a list take in each column
    int m_ListSide = 0;               // the column the lists go in
    int m_TopRows = 0;                // rows above the log's rule
    int m_LogRows = 0;
    CellRect m_Rooms[2]; // the columns
};

// Every group box as a frame with the shown controls it holds, the labels of all frames lined up.
// False when a control stands outside every frame, a frame holds two lists or the log is in none.
bool GatherFrames(std::span<const ControlTemplate> controls, StackPlan& plan) {
    std::vector<int> frameOf(controls.size(), -1);
    for (size_t index = 0; index < controls.size(); ++index) {
        if (controls[index].m_Kind == ControlKind::GroupBox) {
            frameOf[index] = static_cast<int>(plan.m_Frames.size());
            plan.m_Frames.push_back(StackedFrame{index, {}, -1, 0});
        }
    }
    int labelColumns = 0;
    for (size_t index = 0; index < controls.size(); ++index) {
        const ControlTemplate& control = controls[index];
        if (control.m_Kind == ControlKind::GroupBox || HasFlag(control.m_Flags, ControlFlag::Hidden)) {
            continue;
        }
        const int owner = OwnerFrame(controls, index);
        if (owner < 0) {
            return false;
        }
        StackedFrame& frame = plan.m_Frames[static_cast<size_t>(frameOf[static_cast<size_t>(owner)])];
        frame.m_Members.push_back(index);
        if (control.m_Kind == ControlKind::ListBox) {
            if (frame.m_List >= 0) {
                return false;
            }
            frame.m_List = static_cast<int>(index);
        }
        if (control.m_Kind == ControlKind::Static && HasFlag(control.m_Flags, ControlFlag::RightAligned)) {
            labelColumns = std::max(labelColumns, TerminalLayout::TextColumns(control.m_Text));
        }
    }
    // Labels line up across the frames, so that the values of all of them begin in one column.
    for (StackedFrame& frame : plan.m_Frames) {
        frame.m_LabelColumns = labelColumns;
    }
    const int logOwner = OwnerFrame(controls, plan.m_LogIndex);
    if (logOwner < 0) {
        return false;
    }
    plan.m_LogFrame = static_cast<size_t>(frameOf[static_cast<size_t>(logOwner)]);
    std::erase(plan.m_Frames[plan.m_LogFrame].m_Members, plan.m_LogIndex); // what remains is the input line
    return true;
}

// The columns: frames without a list where their template puts them, the framed lists below them in the
// column that has fewer rows taken. False when a line of a frame is too wide for its column.
bool SplitColumns(std::span<const ControlTemplate> controls, int templateWidth, StackPlan& plan) {
    const auto topOf = [&](size_t frame) { return controls[plan.m_Frames[frame].m_Group].m_Place.m_Y; };
    for (size_t frame = 0; frame < plan.m_Frames.size(); ++frame) {
        if (frame == plan.m_LogFrame) {
            continue;
        }
        if (plan.m_Frames[frame].m_List >= 0) {
            plan.m_Lists.push_back(frame);
            continue;
        }
        const DialogRect& place = controls[plan.m_Frames[frame].m_Group].m_Place;
        const int side = 2 * place.m_X + place.m_Width > templateWidth ? 1 : 0;
        plan.m_Columns[side].push_back(frame);
        const auto lines = LinesOf(controls, plan.m_Frames[frame]);
        plan.m_Used[side] += 1 + static_cast<int>(lines.size());
        for (const auto& line : lines) {
            if (LineColumns(controls, line, plan.m_Frames[frame].m_LabelColumns) > plan.m_Rooms[side].m_Width - 1) {
                return false;
            }
        }
    }
    for (auto& column : plan.m_Columns) {
        std::ranges::stable_sort(column, {}, topOf);
    }
    std::ranges::stable_sort(plan.m_Lists, {}, topOf);
    plan.m_ListSide = plan.m_Used[0] <= plan.m_Used[1] ? 0 : 1;
    return true;
}

// The rows above the log and of the log. False when the screen is too small for them or the input line.
bool ShareRows(std::span<const ControlTemplate> controls, int screenCols, int screenRows, StackPlan& plan) {
    const int listCount = static_cast<int>(plan.m_Lists.size());
    const auto inputLines = LinesOf(controls, plan.m_Frames[plan.m_LogFrame]);
    const int bottomRows = 1 + TerminalLayout::MIN_LOG_ROWS + static_cast<int>(inputLines.size());
    const int topRows = std::max(
        {plan.m_Used[0], plan.m_Used[1], plan.m_Used[plan.m_ListSide] + listCount * (1 + MIN_STACKED_LIST_ROWS)});
    const int extra = screenRows - 2 - topRows - bottomRows; // less the title line and the legend
    if (extra < 0 ||
        screenCols - 2 < LineColumns(controls, inputLines.empty() ? std::vector<size_t>{} : inputLines.front(), 0)) {
        return false;
    }
    plan.m_TopRows = topRows + extra / 3;
    plan.m_LogRows = TerminalLayout::MIN_LOG_ROWS + extra - extra / 3;
    return true;
}

// The framed lists share the rows their column has left; what stands below a list sits at the right end
// of its rule, a column in from its end.
void PlaceLists(std::span<const ControlTemplate> controls, const StackPlan& plan, int row,
                std::vector<CellRect>& cells) {
    const CellRect& room = plan.m_Rooms[plan.m_ListSide];
    const int listCount = static_cast<int>(plan.m_Lists.size());
    const int share = plan.m_TopRows - plan.m_Used[plan.m_ListSide];
    for (int list = 0; list < listCount; ++list) {
        const StackedFrame& frame = plan.m_Frames[plan.m_Lists[static_cast<size_t>(list)]];
        const int rowsOfFrame = share / listCount + (list < share % listCount ? 1 : 0);
        cells[frame.m_Group] = CellRect{room.m_Col, row, room.m_Width, 1};
        cells[static_cast<size_t>(frame.m_List)] = CellRect{room.m_Col + 1, row + 1, room.m_Width - 1, rowsOfFrame - 1};
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

// One column: each frame as its rule and its lines, then the lists when they go in this column.
void PlaceColumn(std::span<const ControlTemplate> controls, const StackPlan& plan, int side,
                 std::vector<CellRect>& cells) {
    const CellRect& room = plan.m_Rooms[side];
    int row = room.m_Row;
    for (const size_t frame : plan.m_Columns[side]) {
        cells[plan.m_Frames[frame].m_Group] = CellRect{room.m_Col, row++, room.m_Width, 1};
        for (const auto& line : LinesOf(controls, plan.m_Frames[frame])) {
            PlaceLine(controls, line, CellRect{room.m_Col + 1, row++, room.m_Width - 1, 1},
                      plan.m_Frames[frame].m_LabelColumns, cells);
        }
    }
    if (side == plan.m_ListSide && !plan.m_Lists.empty()) {
        PlaceLists(controls, plan, row, cells);
    }
}

} // namespace

TerminalLayout TerminalLayout::LogBelow(const DialogTemplate& dialogTemplate, int screenCols, int screenRows) {
    const auto controls = dialogTemplate.m_Controls;
    const auto log = std::ranges::find_if(controls, [](const ControlTemplate& control) {
        return control.m_Kind == ControlKind::Edit && HasFlag(control.m_Flags, ControlFlag::MultiLine);
    });
    StackPlan plan;
    const int leftWidth = screenCols / 2;
    plan.m_Rooms[0] = CellRect{0, 1, leftWidth, 0};
    plan.m_Rooms[1] = CellRect{leftWidth + 1, 1, screenCols - leftWidth - 1, 0};
    plan.m_LogIndex = static_cast<size_t>(log - controls.begin());
    if (log == controls.end() || !GatherFrames(controls, plan) ||
        !SplitColumns(controls, dialogTemplate.m_Width, plan) || !ShareRows(controls, screenCols, screenRows, plan)) {
        return {dialogTemplate, screenCols, screenRows};
    }
    TerminalLayout layout;
    layout.m_Template = &dialogTemplate;
    layout.m_Outer = CellRect{0, 0, screenCols, screenRows};
    layout.m_Client = CellRect{0, 1, screenCols, screenRows - 1};
    layout.m_Controls.assign(controls.size(), CellRect{});
    layout.m_Legend = CellRect{0, screenRows - 1, screenCols, 1};
    std::vector<CellRect>& cells = layout.m_Controls;
    for (int side = 0; side < 2; ++side) {
        PlaceColumn(controls, plan, side, cells);
    }
    const int ruleRow = 1 + plan.m_TopRows;
    const StackedFrame& logFrame = plan.m_Frames[plan.m_LogFrame];
    cells[logFrame.m_Group] = CellRect{0, ruleRow, screenCols, 1};
    cells[plan.m_LogIndex] = CellRect{1, ruleRow + 1, screenCols - 2, plan.m_LogRows};
    int row = ruleRow + 1 + plan.m_LogRows;
    for (const auto& line : LinesOf(controls, logFrame)) {
        PlaceLine(controls, line, CellRect{1, row++, screenCols - 2, 1}, logFrame.m_LabelColumns, cells);
    }
    return layout;
}

} // namespace dravo
