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

} // namespace

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

} // namespace dravo
