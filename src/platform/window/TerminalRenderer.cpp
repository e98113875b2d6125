// Drawing a dialog's frame and controls in character cells.
#include "platform/window/TerminalRenderer.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr std::string_view CHECKED = "[x] ";
constexpr std::string_view UNCHECKED = "[ ] ";

CellStyle TextStyle(const ControlState& control) {
    return control.Enabled ? CellStyle::Normal : CellStyle::Disabled;
}

// Tall statics hold several lines, which wrap; others keep one line however tall their cells grow.
bool IsMultiLineStatic(const ControlState& control) {
    return control.Kind() == ControlKind::Static &&
           control.Template().Place.Height > TerminalLayout::MULTI_LINE_STATIC_UNITS;
}

} // namespace

std::vector<std::string> TerminalRenderer::WrapLines(std::string_view text, int width) {
    std::vector<std::string> lines;
    width = std::max(width, 1);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool broken = end != std::string_view::npos;
        if (!broken) {
            end = text.size();
        }
        std::string line(text.substr(start, end - start));
        std::erase(line, '\r');
        for (size_t piece = 0; piece < line.size() || piece == 0; piece += static_cast<size_t>(width)) {
            lines.push_back(line.substr(piece, static_cast<size_t>(width)));
            if (line.empty()) {
                break;
            }
        }
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> TerminalRenderer::WrapWords(std::string_view text, int width) {
    std::vector<std::string> lines;
    const auto limit = static_cast<size_t>(std::max(width, 1));
    for (const std::string& paragraph : WrapLines(text, static_cast<int>(text.size()) + 1)) {
        std::string line;
        size_t position = 0;
        while (position <= paragraph.size()) {
            size_t wordEnd = paragraph.find(' ', position);
            if (wordEnd == std::string::npos) {
                wordEnd = paragraph.size();
            }
            std::string_view word(paragraph.data() + position, wordEnd - position);
            while (word.size() > limit) { // a word longer than a line is cut
                if (!line.empty()) {
                    lines.push_back(std::move(line));
                    line.clear();
                }
                lines.emplace_back(word.substr(0, limit));
                word.remove_prefix(limit);
            }
            if (!line.empty() && line.size() + 1 + word.size() > limit) {
                lines.push_back(std::move(line));
                line.clear();
            }
            line += line.empty() ? std::string(word) : " " + std::string(word);
            position = wordEnd + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string TerminalRenderer::ExpandTabs(std::string_view line, const std::vector<int>& stopColumns) {
    std::string expanded;
    for (const char c : line) {
        if (c != '\t') {
            expanded.push_back(c);
            continue;
        }
        const int at = static_cast<int>(expanded.size());
        const auto next = std::find_if(stopColumns.begin(), stopColumns.end(), [at](int stop) { return stop > at; });
        expanded.append(next == stopColumns.end() ? 1 : static_cast<size_t>(*next - at), ' ');
    }
    return expanded;
}

std::optional<CursorCell> TerminalRenderer::Draw(const DialogModel& model, const TerminalLayout& layout,
                                                 std::vector<TerminalControlView>& views, int focus) {
    DrawFrame(model, layout);
    std::optional<CursorCell> cursor;
    const auto controls = model.Controls();
    // Frames first, so that what they hold is drawn over their lines.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t index = 0; index < controls.size(); ++index) {
            const ControlState& control = controls[index];
            const bool group = control.Kind() == ControlKind::GroupBox;
            if (!control.Visible || group != (pass == 0) || layout.Control(index).Empty()) {
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
    m_Canvas.Fill(outer, CellStyle::Normal);
    if (layout.Framed()) {
        m_Canvas.Box(outer, CellStyle::Frame);
    } else {
        m_Canvas.Fill(CellRect{outer.Col, outer.Row, outer.Width, 1}, CellStyle::Title);
    }
    const std::string title = " " + model.Title() + " ";
    const int room = std::max(outer.Width - 2, 0);
    const int shown = std::min(static_cast<int>(title.size()), room);
    m_Canvas.Text(outer.Col + 1 + (room - shown) / 2, outer.Row, title, CellStyle::Title, shown);
}

void TerminalRenderer::DrawSign(const TerminalLayout& layout, std::string_view sign) {
    const CellRect& outer = layout.Outer();
    const int shown = std::min(static_cast<int>(sign.size()), std::max(outer.Width - 2, 0));
    m_Canvas.Text(outer.Col + outer.Width - 1 - shown, outer.Row, sign, CellStyle::Busy, shown);
}

void TerminalRenderer::DrawControl(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                                   bool focused, const TerminalLayout& layout, size_t index,
                                   std::optional<CursorCell>& cursor) {
    switch (control.Kind()) {
    case ControlKind::GroupBox:
        m_Canvas.Box(cells, CellStyle::Frame);
        if (!control.Text.Text().empty() && cells.Width > 4) {
            m_Canvas.Put(cells.Col + 1, cells.Row, ' ', CellStyle::Frame);
            const int written =
                m_Canvas.Caption(cells.Col + 2, cells.Row, control.Text.Text(), CellStyle::Frame, cells.Width - 4);
            m_Canvas.Put(cells.Col + 2 + written, cells.Row, ' ', CellStyle::Frame);
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
            cursor = CursorCell{cells.Col + (control.Kind() == ControlKind::CheckBox ? 1 : 0), cells.Row};
        }
        return;
    case ControlKind::Edit:
        if (control.Has(ControlFlag::MultiLine)) {
            DrawLog(control, cells, view, focused);
        } else {
            DrawOneLineEdit(control, cells, view, focused, cursor);
        }
        return;
    case ControlKind::ListBox:
        DrawList(control, cells, view, focused, layout, index);
        return;
    case ControlKind::Bitmap:
        DrawPicture(control, cells);
        return;
    case ControlKind::Separator:
        m_Canvas.HorizontalLine(cells.Col, cells.Row, cells.Width, CellStyle::Frame);
        return;
    }
}

void TerminalRenderer::DrawStatic(const ControlState& control, const CellRect& cells) {
    const std::string& text = control.Text.Text();
    const CellStyle style = TextStyle(control);
    if (IsMultiLineStatic(control)) {
        const auto lines = WrapWords(text, cells.Width);
        for (int row = 0; row < cells.Height && row < static_cast<int>(lines.size()); ++row) {
            m_Canvas.Caption(cells.Col, cells.Row + row, lines[static_cast<size_t>(row)], style, cells.Width);
        }
        return;
    }
    std::string firstLine = text.substr(0, text.find('\n'));
    std::erase(firstLine, '\r');
    const int columns = TerminalLayout::TextColumns(firstLine);
    const int start = control.Has(ControlFlag::RightAligned) ? std::max(cells.Width - columns, 0) : 0;
    m_Canvas.Caption(cells.Col + start, cells.Row, firstLine, style, cells.Width - start);
}

void TerminalRenderer::DrawButton(const ControlState& control, const CellRect& cells, bool focused) {
    const std::string& text = control.Text.Text();
    CellStyle style = focused ? CellStyle::ButtonFocus : CellStyle::Button;
    if (!control.Enabled) {
        style = CellStyle::Disabled;
    }
    if (control.Kind() == ControlKind::CheckBox) {
        const int written = m_Canvas.Text(cells.Col, cells.Row, control.Checked ? CHECKED : UNCHECKED,
                                          focused ? CellStyle::ButtonFocus : TextStyle(control), cells.Width);
        m_Canvas.Caption(cells.Col + written, cells.Row, text, TextStyle(control), cells.Width - written);
        return;
    }
    const int columns = TerminalLayout::TextColumns(text);
    const bool brackets = cells.Width >= columns + 2;
    const int used = brackets ? columns + 2 : std::min(columns, cells.Width);
    int col = cells.Col + (cells.Width - used) / 2;
    if (brackets) {
        m_Canvas.Put(col++, cells.Row, '[', style);
    }
    col += m_Canvas.Caption(col, cells.Row, text, style, used);
    if (brackets) {
        m_Canvas.Put(col, cells.Row, ']', style);
    }
}

void TerminalRenderer::DrawOneLineEdit(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                                       bool focused, std::optional<CursorCell>& cursor) {
    const std::string& text = control.Text.Text();
    const CellStyle style = !control.Enabled ? CellStyle::Disabled : focused ? CellStyle::FieldFocus : CellStyle::Field;
    const CellRect line{cells.Col, cells.Row, cells.Width, 1};
    m_Canvas.Fill(line, style);
    view.Caret = std::clamp(view.Caret, 0, static_cast<int>(text.size()));
    // Keep the caret in view, with the cell after the text free for it.
    view.Shift = std::clamp(view.Shift, std::max(view.Caret - cells.Width + 1, 0), view.Caret);
    m_Canvas.Text(cells.Col, cells.Row, std::string_view(text).substr(static_cast<size_t>(view.Shift)), style,
                  cells.Width);
    if (focused) {
        cursor = CursorCell{cells.Col + view.Caret - view.Shift, cells.Row};
    }
}

void TerminalRenderer::DrawScrollMarks(const CellRect& cells, bool above, bool below, CellStyle style) {
    const int col = cells.Col + cells.Width - 1;
    if (above) {
        m_Canvas.Put(col, cells.Row, '^', style);
    }
    if (below) {
        m_Canvas.Put(col, cells.Row + cells.Height - 1, 'v', style);
    }
}

void TerminalRenderer::DrawLog(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                               bool focused) {
    const CellStyle style = focused ? CellStyle::FieldFocus : CellStyle::Field;
    m_Canvas.Fill(cells, style);
    const auto lines = WrapLines(control.Text.Text(), std::max(cells.Width - 1, 1));
    const int count = static_cast<int>(lines.size());
    const int lastTop = std::max(count - cells.Height, 0);
    view.Top = view.Follow ? lastTop : std::clamp(view.Top, 0, lastTop);
    for (int row = 0; row < cells.Height && view.Top + row < count; ++row) {
        m_Canvas.Text(cells.Col, cells.Row + row, lines[static_cast<size_t>(view.Top + row)], style, cells.Width - 1);
    }
    DrawScrollMarks(cells, view.Top > 0, view.Top < lastTop, style);
}

void TerminalRenderer::DrawList(const ControlState& control, const CellRect& cells, TerminalControlView& view,
                                bool focused, const TerminalLayout& layout, size_t index) {
    const CellStyle style = !control.Enabled ? CellStyle::Disabled : CellStyle::Field;
    m_Canvas.Fill(cells, style);
    std::vector<int> stops;
    if (control.Has(ControlFlag::TabStops)) {
        for (const int stop : control.List.TabStops()) {
            stops.push_back(layout.TabStopColumn(index, stop));
        }
    }
    const auto& items = control.List.Items();
    const int count = static_cast<int>(items.size());
    const int selection = control.List.Selection();
    const int lastTop = std::max(count - cells.Height, 0);
    if (selection >= 0 && selection < view.Top) {
        view.Top = selection;
    } else if (selection >= view.Top + cells.Height) {
        view.Top = selection - cells.Height + 1;
    }
    view.Top = std::clamp(view.Top, 0, lastTop);
    for (int row = 0; row < cells.Height && view.Top + row < count; ++row) {
        const int item = view.Top + row;
        CellStyle itemStyle = style;
        if (item == selection) {
            itemStyle = focused ? CellStyle::SelectedFocus : CellStyle::Selected;
            m_Canvas.Fill(CellRect{cells.Col, cells.Row + row, cells.Width, 1}, itemStyle);
        }
        m_Canvas.Text(cells.Col, cells.Row + row, ExpandTabs(items[static_cast<size_t>(item)].Text, stops), itemStyle,
                      cells.Width - 1);
    }
    if (focused && selection == NO_SELECTION) {
        m_Canvas.Restyle(cells.Col, cells.Row, CellStyle::FieldFocus); // where the focus is
    }
    DrawScrollMarks(cells, view.Top > 0, view.Top < lastTop, style);
}

void TerminalRenderer::DrawPicture(const ControlState& control, const CellRect& cells) {
    if (!m_Pictures) {
        return;
    }
    const auto rows = m_Pictures(control.Template().Text);
    const int height = static_cast<int>(rows.size());
    const int top = cells.Row + std::max((cells.Height - height) / 2, 0);
    for (int row = 0; row < height && row < cells.Height; ++row) {
        const std::string_view line = rows[static_cast<size_t>(row)];
        const int width = static_cast<int>(line.size());
        const int skip = std::max((width - cells.Width) / 2, 0); // a narrow place shows the middle
        m_Canvas.Text(cells.Col + std::max((cells.Width - width) / 2, 0), top + row,
                      line.substr(static_cast<size_t>(skip)), CellStyle::Normal, cells.Width);
    }
}

} // namespace dravo
