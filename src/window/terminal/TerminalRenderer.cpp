// Drawing a dialog's frame and controls in character cells.
#include "window/terminal/TerminalRenderer.h"

#include "window/CutText.h"
#include "window/terminal/TerminalText.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr std::string_view CHECKED = "[x] ";
constexpr std::string_view UNCHECKED = "[ ] ";

CellStyle TextStyle(const ControlState& control) {
    return control.m_Enabled ? CellStyle::Normal : CellStyle::Disabled;
}

// Tall statics hold several lines, which wrap; others keep one line however tall their cells grow.
bool IsMultiLineStatic(const ControlState& control) {
    return control.Kind() == ControlKind::Static &&
           control.Template().m_Place.m_Height > TerminalLayout::MULTI_LINE_STATIC_UNITS;
}

} // namespace

int TerminalRenderer::LabelColumns(const TerminalControlView& view, int width) {
    const int columns = view.m_Label.empty() ? 0 : static_cast<int>(view.m_Label.size()) + 1;
    return width - columns >= MIN_EDIT_COLUMNS ? columns : 0;
}

std::optional<CursorCell> TerminalRenderer::Draw(const DialogModel& model, const TerminalLayout& layout,
                                                 std::vector<TerminalControlView>& views, int focus,
                                                 std::string_view legend) {
    DrawFrame(model, layout);
    if (const CellRect& line = layout.Legend(); !line.Empty()) {
        m_Canvas.Fill(line, CellStyle::Title);
        m_Canvas.Text(line.m_Col + 1, line.m_Row, legend, CellStyle::Title, line.m_Width - 2);
    }
    std::optional<CursorCell> cursor;
    const auto controls = model.Controls();
    // Frames first, so that what they hold is drawn over their lines.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t index = 0; index < controls.size(); ++index) {
            const ControlState& control = controls[index];
            const bool group = control.Kind() == ControlKind::GroupBox;
            if (!control.m_Visible || group != (pass == 0) || layout.Control(index).Empty()) {
                continue;
            }
            DrawControl(control, layout.Control(index), views[index], static_cast<int>(index) == focus, layout, index,
                        cursor);
        }
    }
    return cursor;
}

void TerminalRenderer::DrawFrame(const DialogModel& model, const TerminalLayout& layout) {
    const CellRect& outer = layout.Outer();
    // Only its own cells: what the dialog below shows round it stays in view.
    m_Canvas.Fill(outer, CellStyle::Normal);
    if (layout.Framed()) {
        m_Canvas.Box(outer, CellStyle::Frame);
    } else {
        m_Canvas.Fill(CellRect{outer.m_Col, outer.m_Row, outer.m_Width, 1}, CellStyle::Title);
    }
    const std::string title = " " + model.Title() + " ";
    const int room = std::max(outer.m_Width - 2, 0);
    const int shown = std::min(static_cast<int>(title.size()), room);
    m_Canvas.Text(outer.m_Col + 1 + (room - shown) / 2, outer.m_Row, title, CellStyle::Title, shown);
}

void TerminalRenderer::DrawSign(const TerminalLayout& layout, std::string_view sign) {
    const CellRect& outer = layout.Outer();
    const int shown = std::min(static_cast<int>(sign.size()), std::max(outer.m_Width - 2, 0));
    m_Canvas.Text(outer.m_Col + outer.m_Width - 1 - shown, outer.m_Row, sign, CellStyle::Busy, shown);
}

void TerminalRenderer::DrawControl(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                                   bool focused, const TerminalLayout& layout, size_t index,
                                   std::optional<CursorCell>& cursor) {
    switch (control.Kind()) {
    case ControlKind::GroupBox:
        m_Canvas.Box(cells, CellStyle::Frame);
        if (!control.m_Text.Text().empty() && cells.m_Width > 4) {
            m_Canvas.Put(cells.m_Col + 1, cells.m_Row, ' ', CellStyle::Frame);
            const int written = m_Canvas.Caption(cells.m_Col + 2, cells.m_Row, control.m_Text.Text(), CellStyle::Frame,
                                                 cells.m_Width - 4);
            m_Canvas.Put(cells.m_Col + 2 + written, cells.m_Row, ' ', CellStyle::Frame);
        }
        return;
    case ControlKind::Static:
        DrawStatic(control, cells);
        return;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
        DrawButton(control, cells, focused);
        if (focused) {
            cursor = CursorCell{cells.m_Col + (control.Kind() == ControlKind::CheckBox ? 1 : 0), cells.m_Row};
        }
        return;
    case ControlKind::Edit:
        if (control.Has(ControlFlag::MultiLine)) {
            const int shown = DrawLog(control, cells, view, focused);
            if (focused) { // the caret stands at the start of the last line shown, never outside the log
                cursor = CursorCell{cells.m_Col, cells.m_Row + std::max(shown - 1, 0)};
            }
        } else {
            DrawOneLineEdit(control, cells, view, focused, cursor);
        }
        return;
    case ControlKind::ListBox:
        DrawList(control, cells, view, focused, layout, index);
        if (focused) { // the caret stands on the selected item, or on the first line
            const int item = control.m_List.Selection() - view.m_Top;
            cursor = CursorCell{cells.m_Col, cells.m_Row + (item >= 0 && item < cells.m_Height ? item : 0)};
        }
        return;
    case ControlKind::Bitmap:
        DrawPicture(control, cells);
        return;
    case ControlKind::Separator:
        m_Canvas.HorizontalLine(cells.m_Col, cells.m_Row, cells.m_Width, CellStyle::Frame);
        return;
    }
}

void TerminalRenderer::DrawStatic(const ControlState& control, const CellRect& cells) {
    const std::string& text = control.m_Text.Text();
    const CellStyle style = TextStyle(control);
    if (IsMultiLineStatic(control)) {
        const auto lines = WrapWords(text, cells.m_Width);
        for (int row = 0; row < cells.m_Height && row < static_cast<int>(lines.size()); ++row) {
            m_Canvas.Caption(cells.m_Col, cells.m_Row + row, lines[static_cast<size_t>(row)], style, cells.m_Width);
        }
        return;
    }
    // Run-time text (a name from an operator or a level file) shows an "&" as it is, cut with a mark.
    const bool runTime = MarksCutText(control.Template());
    const std::string line = runTime ? CutWithMark(text, cells.m_Width, TerminalText::Columns, TerminalText::Next)
                                     : text.substr(0, text.find_first_of("\r\n"));
    const int columns = runTime ? TerminalText::Columns(line) : TerminalLayout::TextColumns(line);
    const int start = control.Has(ControlFlag::RightAligned) ? std::max(cells.m_Width - columns, 0) : 0;
    (void)(runTime ? m_Canvas.Text(cells.m_Col + start, cells.m_Row, line, style, cells.m_Width - start)
                   : m_Canvas.Caption(cells.m_Col + start, cells.m_Row, line, style, cells.m_Width - start));
}

void TerminalRenderer::DrawButton(const ControlState& control, const CellRect& cells, bool focused) {
    const std::string& text = control.m_Text.Text();
    CellStyle style = focused ? CellStyle::ButtonFocus : CellStyle::Button;
    if (!control.m_Enabled) {
        style = CellStyle::Disabled;
    }
    if (control.Kind() == ControlKind::CheckBox) {
        const int written = m_Canvas.Text(cells.m_Col, cells.m_Row, control.m_Checked ? CHECKED : UNCHECKED,
                                          focused ? CellStyle::ButtonFocus : TextStyle(control), cells.m_Width);
        m_Canvas.Caption(cells.m_Col + written, cells.m_Row, text, TextStyle(control), cells.m_Width - written);
        return;
    }
    // The button that Enter presses wears double brackets, where it has room for them.
    const bool isDefault = control.Kind() == ControlKind::DefaultPushButton;
    if (isDefault && !focused && control.m_Enabled) {
        style = CellStyle::DefaultButton;
    }
    const int columns = TerminalLayout::TextColumns(text);
    const int marks = isDefault && cells.m_Width >= columns + 4 ? 2 : (cells.m_Width >= columns + 2 ? 1 : 0);
    const int used = marks > 0 ? columns + 2 * marks : std::min(columns, cells.m_Width);
    int col = cells.m_Col + (cells.m_Width - used) / 2;
    for (int mark = 0; mark < marks; ++mark) {
        m_Canvas.Put(col++, cells.m_Row, '[', style);
    }
    col += m_Canvas.Caption(col, cells.m_Row, text, style, used);
    for (int mark = 0; mark < marks; ++mark) {
        m_Canvas.Put(col++, cells.m_Row, ']', style);
    }
}

int TerminalRenderer::KeepCaretInView(std::string_view text, int width, TerminalControlView& view) {
    int& caret = view.m_Edit.m_Caret;
    caret = static_cast<int>(
        TerminalText::Boundary(text, static_cast<size_t>(std::clamp(caret, 0, static_cast<int>(text.size())))));
    // The shift (the first byte shown) is a whole character at or before the caret, with the caret's
    // cell in view after the columns it leaves.
    auto& shift = view.m_Shift;
    shift = static_cast<int>(TerminalText::Boundary(text, static_cast<size_t>(std::clamp(shift, 0, caret))));
    const auto columnsTo = [&text, &caret](int from) {
        return TerminalText::Columns(text.substr(static_cast<size_t>(from), static_cast<size_t>(caret - from)));
    };
    while (shift < caret && columnsTo(shift) > width - 1) {
        shift = static_cast<int>(TerminalText::Next(text, static_cast<size_t>(shift)));
    }
    return caret;
}

void TerminalRenderer::DrawOneLineEdit(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                                       bool focused, std::optional<CursorCell>& cursor) {
    const std::string& text = control.m_Text.Text();
    const CellStyle style = !control.m_Enabled ? CellStyle::Disabled
                            : focused          ? CellStyle::FieldFocus
                                               : CellStyle::Field;
    const int labelColumns = LabelColumns(view, cells.m_Width);
    if (labelColumns > 0) {
        m_Canvas.Text(cells.m_Col, cells.m_Row, view.m_Label, TextStyle(control), labelColumns);
    }
    const CellRect line{cells.m_Col + labelColumns, cells.m_Row, cells.m_Width - labelColumns, 1};
    m_Canvas.Fill(line, style);
    const int caret = KeepCaretInView(text, line.m_Width, view);
    const bool selected = focused && view.m_Edit.m_AllSelected && !text.empty();
    const std::string_view shown = std::string_view(text).substr(static_cast<size_t>(view.m_Shift));
    m_Canvas.Text(line.m_Col, line.m_Row, shown, selected ? CellStyle::SelectedFocus : style, line.m_Width);
    if (focused) {
        const int before = TerminalText::Columns(shown.substr(0, static_cast<size_t>(caret - view.m_Shift)));
        cursor = CursorCell{line.m_Col + before, line.m_Row};
    }
}

void TerminalRenderer::DrawScrollMarks(const CellRect& cells, bool above, bool below, CellStyle style) {
    const int col = cells.m_Col + cells.m_Width - 1;
    if (above) {
        m_Canvas.Put(col, cells.m_Row, '^', style);
    }
    if (below) {
        m_Canvas.Put(col, cells.m_Row + cells.m_Height - 1, 'v', style);
    }
}

int TerminalRenderer::DrawLog(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                              bool focused) {
    const CellStyle style = focused ? CellStyle::FieldFocus : CellStyle::Field;
    m_Canvas.Fill(cells, style);
    const auto lines = WrapLogLines(control.m_Text.Text(), std::max(cells.m_Width - 1, 1));
    const int count = static_cast<int>(lines.size());
    const int lastTop = std::max(count - cells.m_Height, 0);
    view.m_Top = view.m_Follow ? lastTop : std::clamp(view.m_Top, 0, lastTop);
    if (view.m_Top == lastTop) {
        view.m_Follow = true; // scrolled back down to the end: the newest lines show again as they come
    }
    if (view.m_Follow || count < view.m_SeenLines) { // a cleared log has nothing new
        view.m_SeenLines = count;
    }
    for (int row = 0; row < cells.m_Height && view.m_Top + row < count; ++row) {
        m_Canvas.Text(cells.m_Col, cells.m_Row + row, lines[static_cast<size_t>(view.m_Top) + static_cast<size_t>(row)],
                      style, cells.m_Width - 1);
    }
    DrawScrollMarks(cells, view.m_Top > 0, view.m_Top < lastTop, style);
    if (count > view.m_SeenLines) {
        // Scrolled back while lines came in: how many wait below, at the foot of the log.
        const std::string note = NewLinesNote(count - view.m_SeenLines);
        const int width = std::min(static_cast<int>(note.size()), cells.m_Width - 1);
        m_Canvas.Text(cells.m_Col + cells.m_Width - 1 - width, cells.m_Row + cells.m_Height - 1, note, CellStyle::Busy,
                      width);
    }
    return std::clamp(count - view.m_Top, 0, cells.m_Height);
}

std::string TerminalRenderer::NewLinesNote(int count) {
    return " " + std::to_string(count) + (count == 1 ? " new line" : " new lines") + " below (End) ";
}

void TerminalRenderer::DrawList(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                                bool focused, const TerminalLayout& layout, size_t index) {
    // The list with the focus shows it over its whole place, whether or not an item is selected.
    const CellStyle style = !control.m_Enabled ? CellStyle::Disabled
                            : focused          ? CellStyle::FieldFocus
                                               : CellStyle::Field;
    m_Canvas.Fill(cells, style);
    std::vector<int> stops;
    if (control.Has(ControlFlag::TabStops)) {
        for (const int stop : control.m_List.TabStops()) {
            stops.push_back(layout.TabStopColumn(index, stop));
        }
    }
    const auto& items = control.m_List.Items();
    const int count = static_cast<int>(items.size());
    const int selection = control.m_List.Selection();
    const int lastTop = std::max(count - cells.m_Height, 0);
    if (selection >= 0 && selection < view.m_Top) {
        view.m_Top = selection;
    } else if (selection >= view.m_Top + cells.m_Height) {
        view.m_Top = selection - cells.m_Height + 1;
    }
    view.m_Top = std::clamp(view.m_Top, 0, lastTop);
    for (int row = 0; row < cells.m_Height && view.m_Top + row < count; ++row) {
        const int item = view.m_Top + row;
        CellStyle itemStyle = style;
        if (item == selection) {
            itemStyle = focused ? CellStyle::SelectedFocus : CellStyle::Selected;
            m_Canvas.Fill(CellRect{cells.m_Col, cells.m_Row + row, cells.m_Width, 1}, itemStyle);
        }
        m_Canvas.Text(cells.m_Col, cells.m_Row + row, ExpandTabs(items[static_cast<size_t>(item)].m_Text, stops),
                      itemStyle, cells.m_Width - 1);
    }
    DrawScrollMarks(cells, view.m_Top > 0, view.m_Top < lastTop, style);
}

void TerminalRenderer::DrawPicture(const ControlState& control, const CellRect& cells) {
    if (!m_Pictures) {
        return;
    }
    const auto rows = m_Pictures(control.Template().m_Text);
    const int height = static_cast<int>(rows.size());
    const int top = cells.m_Row + std::max((cells.m_Height - height) / 2, 0);
    for (int row = 0; row < height && row < cells.m_Height; ++row) {
        const std::string_view line = rows[static_cast<size_t>(row)];
        const int width = static_cast<int>(line.size());
        const int skip = std::max((width - cells.m_Width) / 2, 0); // a narrow place shows the middle
        // From the left of its place, so that dialogs of one frame show it in the same column.
        m_Canvas.Text(cells.m_Col, top + row, line.substr(static_cast<size_t>(skip)), CellStyle::Normal, cells.m_Width);
    }
}

} // namespace dravo
