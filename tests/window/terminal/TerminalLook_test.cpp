// How the terminal face's screens look at the sizes operators use: frames that hold one line, a dialog
// opened from a button kept clear of it, the caret of a focused log, help lines that wrap under their
// indent, and what a terminal too small for the screens shows.
#include "res/ConsoleWindowTemplate.h"
#include "res/NetGameTemplate.h"
#include "res/NetOptionsTemplate.h"
#include "res/ServerOptionsTemplate.h"
#include "window/terminal/TerminalColorPicker.h"
#include "window/terminal/TerminalDialogDriver.h"
#include "window/terminal/TerminalWindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dravo {
namespace {

using namespace test;

constexpr std::pair<int, int> SCREENS[] = {{80, 24}, {100, 30}, {120, 40}};

size_t IndexOf(const DialogTemplate& dialog, int id) {
    return static_cast<size_t>(dialog.FindControl(id) - dialog.m_Controls.data());
}

TEST(TerminalLook, AFrameRoundOneLineIsThatLineAndItsBorderOnAnyScreen) {
    const DialogTemplate& page = NetGameTemplate();
    const size_t name = IndexOf(page, static_cast<int>(NetGameControl::ServerName));
    for (const auto& [cols, rows] : SCREENS) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        const TerminalLayout layout(page, cols, rows);
        const auto group = std::ranges::find_if(page.m_Controls, [](const ControlTemplate& control) {
            return control.m_Kind == ControlKind::GroupBox && control.m_Text == "Server Name";
        });
        ASSERT_NE(group, page.m_Controls.end());
        const size_t frameIndex = static_cast<size_t>(group - page.m_Controls.begin());
        const CellRect& frame = layout.Control(frameIndex);
        EXPECT_EQ(frame.m_Height, 3);
        EXPECT_EQ(layout.Control(name).m_Row, frame.m_Row + 1);
        EXPECT_EQ(layout.Control(name).m_Height, 1);
        for (size_t index = 0; index < page.m_Controls.size(); ++index) {
            if (index != name && index != frameIndex && !layout.Control(index).Empty()) {
                EXPECT_FALSE(layout.Control(index).Overlaps(frame)) << page.m_Controls[index].m_Text;
            }
        }
    }
}

// The options dialog with the focus on "Night Color:", and the colour picker opened from it.
class ColorPickerPlaceTest : public ::testing::TestWithParam<const DialogTemplate*> {
protected:
    RecordingProcedure m_OptionsProcedure;
    TestFace m_Face;
    TerminalColorPicker m_Picker{ColorRgb{128, 128, 128}};
};

TEST_P(ColorPickerPlaceTest, ThePickerLeavesTheButtonThatOpenedItAndItsFieldInView) {
    const DialogTemplate& options = *GetParam();
    DialogApi optionsApi(options, m_OptionsProcedure, m_Face);
    TerminalDialog optionsView(optionsApi, [] { return uint64_t{0}; });
    DialogApi pickerApi(TerminalColorPicker::Template(), m_Picker, m_Face);
    TerminalDialog pickerView(pickerApi, [] { return uint64_t{0}; });
    pickerView.OpenBeside([&optionsView] { return optionsView.FocusCells(); });
    const size_t button = IndexOf(options, static_cast<int>(OptionsControl::NightColorPicker));
    const size_t field = IndexOf(options, static_cast<int>(OptionsControl::NightColor));
    (void)optionsApi.SetFocus(static_cast<int>(OptionsControl::NightColorPicker));
    for (const auto& [cols, rows] : SCREENS) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        optionsView.LayOut(cols, rows);
        TerminalCanvas canvas(cols, rows);
        const PictureLookup none;
        TerminalRenderer renderer(canvas, none);
        (void)optionsView.Draw(renderer); // takes the focus the dialog asked for
        ASSERT_EQ(optionsView.Focus(), static_cast<int>(button));
        pickerView.LayOut(cols, rows);
        const CellRect& picker = pickerView.Layout().Outer();
        EXPECT_FALSE(picker.Overlaps(optionsView.Layout().Control(button)));
        EXPECT_FALSE(picker.Overlaps(optionsView.Layout().Control(field)));
        EXPECT_GE(picker.m_Row, 0);
        EXPECT_LE(picker.m_Row + picker.m_Height, rows);
        (void)pickerView.Draw(renderer);
        const CellRect& shown = optionsView.Layout().Control(button);
        EXPECT_NE(canvas.RowText(shown.m_Row).find("Night Color:"), std::string::npos) << canvas.RowText(shown.m_Row);
    }
}

INSTANTIATE_TEST_SUITE_P(OptionsDialogs, ColorPickerPlaceTest,
                         ::testing::Values(&ServerOptionsTemplate(), &NetOptionsTemplate()));

class FocusedLogTest : public ::testing::Test, protected DialogDriver {
protected:
    FocusedLogTest() : DialogDriver(ConsoleWindowTemplate()) {}
};

TEST_F(FocusedLogTest, WithTheLogFocusedTheCaretStandsInTheLogNeverOnTheLegend) {
    const size_t log = IndexOf(ConsoleWindowTemplate(), static_cast<int>(ConsoleControl::ConsoleLog));
    TerminalCanvas canvas(80, 24);
    const PictureLookup none;
    TerminalRenderer renderer(canvas, none);
    for (const int lines : {0, 3, 40}) {
        SCOPED_TRACE(lines);
        std::string text;
        for (int line = 0; line < lines; ++line) {
            text += "line " + std::to_string(line) + "\r\n";
        }
        (void)m_Api.SetItemText(static_cast<int>(ConsoleControl::ConsoleLog), text);
        (void)m_Api.SetFocus(static_cast<int>(ConsoleControl::ConsoleLog));
        const std::optional<CursorCell> cursor = m_Dialog.Draw(renderer);
        ASSERT_EQ(m_Dialog.Focus(), static_cast<int>(log));
        ASSERT_TRUE(cursor);
        const CellRect& cells = m_Dialog.Layout().Control(log);
        EXPECT_TRUE(cells.Contains(cursor->m_Col, cursor->m_Row)) << cursor->m_Col << ", " << cursor->m_Row;
        const int lastShown = cells.m_Row + std::clamp(lines, 1, cells.m_Height) - 1;
        EXPECT_EQ(cursor->m_Row, lastShown) << "on the newest line shown";
    }
}

TEST(TerminalLook, AHelpLineThatWrapsKeepsItsIndent) {
    const auto lines = TerminalRenderer::WrapLogLines(
        "   <name> [value] - shows a console variable, or changes it when a value follows\r\nfree text\r\n", 40);
    EXPECT_EQ(lines, (std::vector<std::string>{"   <name> [value] - shows a console",
                                               "   variable, or changes it when a value", "   follows", "free text"}));
    // A word longer than what the indent leaves is cut, never the indent shown alone.
    EXPECT_EQ(TerminalRenderer::WrapLogLines("  abcdefghij", 6),
              (std::vector<std::string>{"  abcd", "  efgh", "  ij"}));
    // An indent that would leave less than half the width is not repeated.
    EXPECT_EQ(TerminalRenderer::WrapLogLines("      ab cd", 10), (std::vector<std::string>{"      ab", "cd"}));
    for (const std::string& line : TerminalRenderer::WrapLogLines(std::string(6, ' ') + std::string(50, 'x'), 12)) {
        EXPECT_EQ(line.substr(0, 7), "      x") << line;
        EXPECT_LE(line.size(), 12u) << line;
    }
}

TEST(TerminalLook, ATerminalTooSmallShowsTheSizeNeededWholeAtAnySize) {
    const std::string needed =
        std::to_string(TerminalWindowSystem::MIN_COLS) + " x " + std::to_string(TerminalWindowSystem::MIN_ROWS);
    for (const auto& [cols, rows] : {std::pair{79, 24}, {60, 20}, {40, 20}, {40, 1}, {20, 2}, {12, 1}, {5, 3}}) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        const auto lines = TerminalWindowSystem::TooSmallLines(cols, rows);
        ASSERT_FALSE(lines.empty());
        EXPECT_LE(lines.size(), static_cast<size_t>(rows));
        std::string joined;
        for (const std::string& line : lines) {
            EXPECT_LE(line.size(), static_cast<size_t>(cols)) << line;
            joined += (joined.empty() ? "" : " ") + line;
        }
        const bool namesTheSize =
            joined.find(needed) != std::string::npos || joined == std::to_string(TerminalWindowSystem::MIN_COLS) + "x" +
                                                                      std::to_string(TerminalWindowSystem::MIN_ROWS);
        EXPECT_TRUE(namesTheSize) << joined;
    }
    const auto roomy = TerminalWindowSystem::TooSmallLines(40, 20);
    EXPECT_EQ(roomy.front() + " " + roomy.back(), TerminalWindowSystem::TooSmallText(40, 20))
        << "the whole sentence where it fits";
}

} // namespace
} // namespace dravo
