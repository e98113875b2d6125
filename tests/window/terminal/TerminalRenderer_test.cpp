// Drawing dialogs in cells: frames and captions, check marks, hidden controls, list columns, logs.
#include "window/terminal/TerminalRenderer.h"

#include "res/ConsoleWindowTemplate.h"
#include "window/DialogModel.h"
#include "window/terminal/TerminalText.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;

TEST(TerminalRenderer, TabsGoToTheNextStopRightOfTheText) {
    const std::vector<int> stops = {6, 20};
    EXPECT_EQ(TerminalRenderer::ExpandTabs("(12)\tAce\t3", stops), "(12)  Ace           3");
    EXPECT_EQ(TerminalRenderer::ExpandTabs("(123456)\tBob\t0", stops), "(1... Bob           0")
        << "a field too long for its column is cut with a mark, a blank before the next stop";
    EXPECT_EQ(TerminalRenderer::ExpandTabs("(1)\tAce\t3\tid 7", stops), "(1)   Ace           3 id 7")
        << "past the last stop one blank parts the fields";
    EXPECT_EQ(TerminalRenderer::ExpandTabs("a\tb", {}), "a b");
}

TEST(TerminalRenderer, ALongNameIsCutWithAMarkAndTheFragsKeepTheirColumn) {
    const std::string name(63, 'N');
    // The player list's stops at 80 x 24 (a list 39 columns wide) and at 120 x 40.
    for (const std::vector<int>& stops : {std::vector<int>{7, 26, 41}, std::vector<int>{10, 39, 61}}) {
        const std::string line = TerminalRenderer::ExpandTabs("(0)\t" + name + "\t17\tid 3", stops);
        EXPECT_EQ(line.find("17"), static_cast<size_t>(stops[1])) << line;
        EXPECT_EQ(line.substr(static_cast<size_t>(stops[1]) - 4, 4), "... ") << line;
        EXPECT_EQ(line.find('N'), static_cast<size_t>(stops[0])) << line;
    }
    // Stops closer than a character and the mark are passed: the name never shrinks to nothing.
    const std::string close = TerminalRenderer::ExpandTabs("(0)\tBobbingtonian\t5", {5, 7, 16});
    EXPECT_EQ(close, "(0)  Bobbing... 5") << close;
    const std::string wide = TerminalRenderer::ExpandTabs("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\t9", {6});
    EXPECT_EQ(wide, "\xE6\x97\xA5... 9") << "a wide character is never halved";
}

TEST(TerminalRenderer, LinesBreakAtLineBreaksAndWidthWordsAtBlanks) {
    EXPECT_EQ(TerminalRenderer::WrapLines("one\r\ntwo three\r\n", 5),
              (std::vector<std::string>{"one", "two t", "hree"}));
    EXPECT_EQ(TerminalRenderer::WrapLines("a\n\nb", 5), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(TerminalRenderer::WrapLines("", 5).empty());
    EXPECT_EQ(TerminalRenderer::WrapWords("Are you sure you want to exit?", 12),
              (std::vector<std::string>{"Are you sure", "you want to", "exit?"}));
    EXPECT_EQ(TerminalRenderer::WrapWords("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
}

TEST(TerminalRenderer, LogLinesBreakAfterTheirLastBlankThatFits) {
    EXPECT_EQ(TerminalRenderer::WrapLogLines("Game session open on UDP port 27990 for up to 16 players.\r\nok\r\n", 20),
              (std::vector<std::string>{"Game session open on", "UDP port 27990 for", "up to 16 players.", "ok"}));
    EXPECT_EQ(TerminalRenderer::WrapLogLines("path C:\\a\\very\\long\\name", 8),
              (std::vector<std::string>{"path", "C:\\a\\ver", "y\\long\\n", "ame"}))
        << "only a word longer than the line is cut";
    EXPECT_EQ(TerminalRenderer::WrapLogLines("a\n\nb", 5), (std::vector<std::string>{"a", "", "b"}));
}

constexpr ControlTemplate CONTROLS[] = {
    {NO_CONTROL_ID, GroupBox, "Frame", {4, 4, 192, 80}},
    {1, CheckBox, "&Loud", {10, 16, 60, 10}},
    {2, PushButton, "&Go", {80, 16, 40, 14}},
    {3, PushButton, "Secret", {130, 16, 40, 14}, Hidden},
    {4, Static, "Right:", {10, 34, 60, 8}, RightAligned},
    {5, ListBox, "", {10, 46, 180, 32}, TabStops},
    {6, Edit, "", {100, 34, 90, 10}},
};
constexpr DialogTemplate DIALOG = {"", 7, "Sample", 200, 90, "", 0, DialogStyle::Popup, CONTROLS};

struct Drawn {
    explicit Drawn(int cols = 60, int rows = 20) : Canvas(cols, rows), Model(DIALOG), Views(std::size(CONTROLS)) {}
    std::string Screen(int focus = -1) {
        Canvas.Clear();
        const TerminalLayout layout(DIALOG, Canvas.Cols(), Canvas.Rows());
        TerminalRenderer renderer(Canvas, Pictures);
        Cursor = renderer.Draw(Model, layout, Views, focus);
        std::string all;
        for (int row = 0; row < Canvas.Rows(); ++row) {
            all += Canvas.RowText(row) + "\n";
        }
        return all;
    }
    TerminalCanvas Canvas;
    DialogModel Model;
    std::vector<TerminalControlView> Views;
    PictureLookup Pictures;
    std::optional<CursorCell> Cursor;
};

TEST(TerminalRenderer, AnEditShowsItsLabelItsSelectedTextAndTheCaret) {
    Drawn drawn(80, 20);
    drawn.Model.Find(6)->m_Text.SetText("say hi");
    drawn.Views[6].m_Label = "Command:";
    drawn.Views[6].m_Edit = {6, true, {}};
    const std::string screen = drawn.Screen(6);
    const size_t label = screen.find("Command: say hi");
    ASSERT_NE(label, std::string::npos) << screen;
    const auto lineLength = static_cast<size_t>(drawn.Canvas.Cols()) + 1;
    const int row = static_cast<int>(label / lineLength);
    const int col = static_cast<int>(label % lineLength);
    EXPECT_EQ(drawn.Canvas.At(col, row).m_Style, CellStyle::Normal) << "the label is no part of the field";
    EXPECT_EQ(drawn.Canvas.At(col + 9, row).m_Style, CellStyle::SelectedFocus) << "the selected text";
    EXPECT_EQ(drawn.Canvas.At(col + 15, row).m_Style, CellStyle::FieldFocus) << "the field after it";
    ASSERT_TRUE(drawn.Cursor);
    EXPECT_EQ(drawn.Cursor->m_Col, col + 15);
    EXPECT_EQ(drawn.Cursor->m_Row, row);

    drawn.Views[6].m_Edit.m_AllSelected = false;
    (void)drawn.Screen(6);
    EXPECT_EQ(drawn.Canvas.At(col + 9, row).m_Style, CellStyle::FieldFocus);
}

TEST(TerminalRenderer, TheFocusShowsOnAListWithoutSelectionAndAButtonAndTheDefaultButtonWearsDoubleBrackets) {
    static constexpr ControlTemplate FOCUS_CONTROLS[] = {
        {1, ListBox, "", {10, 10, 120, 40}, Notify},
        {2, PushButton, "&Go", {10, 60, 50, 14}},
        {3, DefaultPushButton, "&Next >", {70, 60, 60, 14}},
    };
    static constexpr DialogTemplate FOCUS_DIALOG = {"", 8, "Focus", 140, 80, "", 0, DialogStyle::Popup, FOCUS_CONTROLS};
    TerminalCanvas canvas(60, 20);
    DialogModel model(FOCUS_DIALOG);
    (void)model.Find(1)->m_List.Add("first");
    (void)model.Find(1)->m_List.Add("second");
    std::vector<TerminalControlView> views(std::size(FOCUS_CONTROLS));
    const PictureLookup none;
    TerminalRenderer renderer(canvas, none);
    const TerminalLayout layout(FOCUS_DIALOG, canvas.Cols(), canvas.Rows());
    const CellRect& list = layout.Control(0);
    const CellRect& go = layout.Control(1);
    const CellRect& next = layout.Control(2);

    // The list with the focus and no selection: every cell of it shows the focus, and the caret is in it.
    auto cursor = renderer.Draw(model, layout, views, 0);
    for (int row = list.m_Row; row < list.m_Row + list.m_Height; ++row) {
        EXPECT_EQ(canvas.At(list.m_Col + list.m_Width / 2, row).m_Style, CellStyle::FieldFocus) << row;
    }
    ASSERT_TRUE(cursor);
    EXPECT_TRUE(list.Contains(cursor->m_Col, cursor->m_Row));
    const std::string nextRow = canvas.RowText(next.m_Row);
    EXPECT_NE(nextRow.find("[[Next >]]"), std::string::npos) << nextRow;
    EXPECT_NE(nextRow.find("[Go]"), std::string::npos) << nextRow;
    EXPECT_EQ(nextRow.find("[[Go]]"), std::string::npos) << nextRow;
    EXPECT_EQ(canvas.At(next.m_Col + next.m_Width / 2, next.m_Row).m_Style, CellStyle::DefaultButton);

    // Without the focus the list looks plain; its selection differs from a focused button.
    ASSERT_TRUE(model.Find(1)->m_List.Select(1));
    cursor = renderer.Draw(model, layout, views, 1);
    EXPECT_EQ(canvas.At(list.m_Col + list.m_Width - 2, list.m_Row).m_Style, CellStyle::Field);
    const CellStyle selection = canvas.At(list.m_Col, list.m_Row + 1).m_Style;
    EXPECT_EQ(selection, CellStyle::Selected);
    const int goText = static_cast<int>(canvas.RowText(go.m_Row).find("[Go]"));
    EXPECT_EQ(canvas.At(goText + 1, go.m_Row).m_Style, CellStyle::ButtonFocus);
    EXPECT_NE(CellStyle::ButtonFocus, selection);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->m_Row, go.m_Row);
}

TEST(TerminalRenderer, ADialogDrawsOnlyItsOwnCellsOverWhatIsBelow) {
    constexpr int COLS = 160;
    constexpr int ROWS = 60;
    TerminalCanvas canvas(COLS, ROWS);
    for (int row = 0; row < ROWS; ++row) {
        canvas.Text(0, row, std::string(COLS, '#'), CellStyle::Normal, COLS);
    }
    const DialogModel model(DIALOG);
    std::vector<TerminalControlView> views(std::size(CONTROLS));
    const PictureLookup none;
    TerminalRenderer renderer(canvas, none);
    const TerminalLayout layout(DIALOG, COLS, ROWS);
    (void)renderer.Draw(model, layout, views, -1);
    const CellRect& outer = layout.Outer();
    ASSERT_GT(outer.m_Col, 0);
    ASSERT_GT(outer.m_Row, 0);
    for (int col = outer.m_Col - 1; col <= outer.m_Col + outer.m_Width; ++col) {
        EXPECT_EQ(canvas.At(col, outer.m_Row - 1).m_Glyph, '#') << col;
        EXPECT_EQ(canvas.At(col, outer.m_Row + outer.m_Height).m_Glyph, '#') << col;
    }
    for (int row = outer.m_Row; row < outer.m_Row + outer.m_Height; ++row) {
        EXPECT_EQ(canvas.At(outer.m_Col - 1, row).m_Glyph, '#') << row;
        EXPECT_EQ(canvas.At(outer.m_Col + outer.m_Width, row).m_Glyph, '#') << row;
        for (int col = outer.m_Col; col < outer.m_Col + outer.m_Width; ++col) {
            EXPECT_NE(canvas.At(col, row).m_Glyph, '#') << "nothing below shows through the dialog at " << col;
        }
    }
}

TEST(TerminalRenderer, DrawsTitleFrameCaptionsAndMarksButNotHiddenControls) {
    Drawn drawn;
    drawn.Model.Find(1)->m_Checked = true;
    const std::string screen = drawn.Screen();
    EXPECT_NE(screen.find(" Sample "), std::string::npos) << screen;
    EXPECT_NE(screen.find("+ Frame -"), std::string::npos) << screen;
    EXPECT_NE(screen.find("[x] Loud"), std::string::npos) << "the mnemonic sign is not drawn\n" << screen;
    EXPECT_NE(screen.find("[Go]"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Secret"), std::string::npos) << screen;
    drawn.Model.Find(3)->m_Visible = true;
    drawn.Model.Find(1)->m_Checked = false;
    const std::string shown = drawn.Screen();
    EXPECT_NE(shown.find("[Secret]"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[ ] Loud"), std::string::npos) << shown;
}

TEST(TerminalRenderer, ListColumnsLineUpAtTheirTabStops) {
    Drawn drawn;
    ControlState& list = *drawn.Model.Find(5);
    const std::array<int, 2> stops = {30, 116};
    list.m_List.SetTabStops(stops);
    (void)list.m_List.Add("(9)\tAce\t12");
    (void)list.m_List.Add("(150)\tBob\t3");
    const std::string screen = drawn.Screen();
    const size_t ace = screen.find("Ace");
    const size_t bob = screen.find("Bob");
    ASSERT_NE(ace, std::string::npos) << screen;
    ASSERT_NE(bob, std::string::npos) << screen;
    const size_t lineLength = static_cast<size_t>(drawn.Canvas.Cols()) + 1;
    EXPECT_EQ(ace % lineLength, bob % lineLength) << screen;
    EXPECT_EQ(screen.find("12", ace) % lineLength, screen.find('3', bob) % lineLength) << screen;
}

TEST(TerminalRenderer, ALongListScrollsToItsSelectionAndShowsThatThereIsMore) {
    Drawn drawn(60, 12);
    ControlState& list = *drawn.Model.Find(5);
    for (int item = 0; item < 30; ++item) {
        (void)list.m_List.Add("item " + std::to_string(item));
    }
    ASSERT_TRUE(list.m_List.Select(29));
    const std::string screen = drawn.Screen();
    EXPECT_NE(screen.find("item 29"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("item 0 "), std::string::npos) << screen;
    EXPECT_NE(screen.find('^'), std::string::npos) << "a mark says more lies above\n" << screen;
}

TEST(TerminalRenderer, RightAlignedLabelsEndInOneColumnHoweverTallTheirCellsGrow) {
    // On a larger screen some one-line labels of the console window get more than one row.
    for (const auto& [cols, rows] : {std::pair{80, 24}, std::pair{110, 32}, std::pair{160, 60}}) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        const DialogTemplate& console = ConsoleWindowTemplate();
        TerminalCanvas canvas(cols, rows);
        const DialogModel model(console);
        std::vector<TerminalControlView> views(console.m_Controls.size());
        const PictureLookup none;
        TerminalRenderer renderer(canvas, none);
        const TerminalLayout layout(console, cols, rows);
        (void)renderer.Draw(model, layout, views, -1);
        std::set<size_t> ends;
        for (const std::string_view label : {"Players:", "Current Level:", "Next Level:", "Level Goal:"}) {
            for (int row = 0; row < rows; ++row) {
                const std::string line = canvas.RowText(row);
                const size_t at = line.find(label);
                if (at != std::string::npos && line.find("Time in") == std::string::npos) {
                    ends.insert(at + label.size());
                    break;
                }
            }
        }
        EXPECT_EQ(ends.size(), 1u);
    }
}

} // namespace
} // namespace dravo

namespace dravo {
namespace {

const std::string NI_HON = "\xE6\x97\xA5\xE6\x9C\xAC"; // 日本, two cells each

TEST(TerminalRendererUtf8, TextTakesCellsByCharacterWidthAndNeverHalfAWideOne) {
    TerminalCanvas canvas(10, 1);
    EXPECT_EQ(canvas.Text(0, 0, "\xC3\xA9" + NI_HON, CellStyle::Normal, 4), 3) << "no room for half of 本";
    EXPECT_EQ(canvas.RowText(0), "\xC3\xA9\xE6\x97\xA5       ");
    EXPECT_EQ(canvas.At(2, 0).m_Glyph, TerminalCanvas::WIDE_RIGHT_HALF);
    canvas.Clear();
    EXPECT_EQ(canvas.Text(0, 0, "a\xE9\x01z", CellStyle::Normal, 10), 4) << "a stray byte and a control show";
    EXPECT_EQ(canvas.RowText(0), "a? z      ");
    canvas.Clear();
    EXPECT_EQ(canvas.Caption(0, 0, "&\xC3\xA9t\xC3\xA9", CellStyle::Normal, 10), 3);
    EXPECT_TRUE(canvas.At(0, 0).m_Underline);
    EXPECT_EQ(canvas.At(0, 0).m_Glyph, U'\u00E9');
}

TEST(TerminalRendererUtf8, LogLinesBreakByColumnsBetweenWholeCharacters) {
    EXPECT_EQ(TerminalRenderer::WrapLogLines("\xC3\xA9\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9", 4),
              (std::vector<std::string>{"\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9"}));
    EXPECT_EQ(TerminalRenderer::WrapLogLines(NI_HON + NI_HON + "\xE6\x97\xA5", 5),
              (std::vector<std::string>{NI_HON, NI_HON, "\xE6\x97\xA5"}))
        << "two wide characters fill four of five cells";
    EXPECT_EQ(TerminalRenderer::WrapLogLines(NI_HON, 1), (std::vector<std::string>{"\xE6\x97\xA5", "\xE6\x9C\xAC"}))
        << "a wide character in a one-cell line still moves on";
}

TEST(TerminalRendererUtf8, AnEditScrollsAndPlacesTheCaretByColumns) {
    Drawn drawn(80, 20);
    std::string text = "Nuit des Hiboux \xC3\xA9 ";
    for (int i = 0; i < 10; ++i) {
        text += NI_HON;
    }
    drawn.Model.Find(6)->m_Text.SetText(text);
    drawn.Views[6].m_Edit = {static_cast<int>(text.size()), false, {}};
    const std::string screen = drawn.Screen(6);
    ASSERT_TRUE(drawn.Cursor);
    const std::string row = drawn.Canvas.RowText(drawn.Cursor->m_Row);
    EXPECT_NE(row.find(NI_HON + NI_HON), std::string::npos) << screen;
    const int shift = drawn.Views[6].m_Shift;
    EXPECT_EQ(TerminalText::Boundary(text, static_cast<size_t>(shift)), static_cast<size_t>(shift))
        << "the field starts on a whole character";
    EXPECT_GT(shift, 0) << "the caret at the end pushed the text along";
    const CursorCell end = *drawn.Cursor;
    drawn.Views[6].m_Edit.m_Caret = static_cast<int>(text.size()) - 3; // before the last 本
    (void)drawn.Screen(6);
    EXPECT_EQ(drawn.Cursor->m_Col, end.m_Col - 2) << "a wide character is two cells";
}

} // namespace
} // namespace dravo
