// TerminalRenderer: draws a running dialog - its frame and title, and every visible control in the
// cells the layout gave it - into a canvas.
#pragma once

#include "window/DialogModel.h"
#include "window/terminal/TerminalCanvas.h"
#include "window/terminal/TerminalLayout.h"
#include "window/terminal/TerminalLineEditor.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// The rows of a bitmap resource drawn in characters; empty when there is no such picture.
using PictureLookup = std::function<std::span<const std::string_view>(std::string_view name)>;

// What the face remembers of a control between drawings.
struct TerminalControlView {
    int m_Top = 0;        // first item (lists) or line (logs) shown
    LineCaret m_Edit;     // one-line edits: where typing goes
    int m_Shift = 0;      // one-line edits: first character shown
    bool m_Follow = true; // logs: the newest line stays in view
    int m_SeenLines = 0;  // logs: lines there were when it stopped following; those after are new
    std::string m_Label;  // one-line edits: a label the face draws in front of the text
};

struct CursorCell {
    int m_Col = 0;
    int m_Row = 0;
};

class TerminalRenderer {
public:
    TerminalRenderer(TerminalCanvas& canvas, const PictureLookup& pictures) : m_Canvas(canvas), m_Pictures(pictures) {}

    // Draws the dialog with the focus on the control of that index (-1 for none). Scrolling in the
    // views is brought in line with what fits. Returns where the text cursor goes, if anywhere.
    // The legend goes into the layout's legend line, where it has one.
    std::optional<CursorCell> Draw(const DialogModel& model, const TerminalLayout& layout,
                                   std::vector<TerminalControlView>& views, int focus, std::string_view legend = {});
    // A title line or frame with a sign at its right end (the busy sign), on top of what is drawn.
    void DrawSign(const TerminalLayout& layout, std::string_view sign);

    // The lines of a multi-line text cut to the width: "\r\n" and "\n" break lines, a break at the end
    // opens no line of its own.
    static std::vector<std::string> WrapLines(std::string_view text, int width);
    // The same lines, each broken after its last blank that fits, and cut only where a word is longer
    // than the width: the lines of a log.
    static std::vector<std::string> WrapLogLines(std::string_view text, int width);
    // Moves an edit's shift so that its caret shows in a line of `width` cells; returns the caret,
    // brought onto a whole character of the text.
    static int KeepCaretInView(std::string_view text, int width, TerminalControlView& view);
    // Columns the label of a one-line edit takes in front of its text in a place that wide: none when
    // the place would keep less than MIN_EDIT_COLUMNS for the text.
    static int LabelColumns(const TerminalControlView& view, int width);
    static constexpr int MIN_EDIT_COLUMNS = 12;
    // What the foot of a log scrolled back says of the lines that came in below.
    static std::string NewLinesNote(int count);
    // Words wrapped to the width, for labels and message texts.
    static std::vector<std::string> WrapWords(std::string_view text, int width);
    // A list line with its tabs expanded to the next stop right of where its field began; a field too
    // long for its column is cut with the cut mark, a blank before the next stop. Past the last stop
    // one blank parts the fields.
    static std::string ExpandTabs(std::string_view line, const std::vector<int>& stopColumns);

private:
    void DrawFrame(const DialogModel& model, const TerminalLayout& layout);
    void DrawControl(const ControlState& control, const CellRect& cells, TerminalControlView& view, bool focused,
                     const TerminalLayout& layout, size_t index, std::optional<CursorCell>& cursor);
    void DrawStatic(const ControlState& control, const CellRect& cells);
    void DrawButton(const ControlState& control, const CellRect& cells, bool focused);
    void DrawOneLineEdit(const ControlState& control, const CellRect& cells, TerminalControlView& view, bool focused,
                         std::optional<CursorCell>& cursor);
    // Returns how many of its rows hold a line.
    int DrawLog(const ControlState& control, const CellRect& cells, TerminalControlView& view, bool focused);
    void DrawList(const ControlState& control, const CellRect& cells, TerminalControlView& view, bool focused,
                  const TerminalLayout& layout, size_t index);
    void DrawPicture(const ControlState& control, const CellRect& cells);
    void DrawScrollMarks(const CellRect& cells, bool above, bool below, CellStyle style);

    TerminalCanvas& m_Canvas;
    const PictureLookup& m_Pictures;
};

} // namespace dravo
