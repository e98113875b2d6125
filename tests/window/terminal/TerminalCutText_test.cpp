// The console window on a terminal: a server name wider than its field shows its start and the cut mark,
// and an "&" in it shows as it is, as in a window.
#include "res/ConsoleWindowTemplate.h"
#include "window/CutText.h"
#include "window/DialogModel.h"
#include "window/terminal/TerminalRenderer.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

// What the cells of one control show, blanks at the end left out.
std::string Shown(const TerminalCanvas& canvas, const CellRect& cells) {
    std::string row =
        canvas.RowText(cells.m_Row).substr(static_cast<size_t>(cells.m_Col), static_cast<size_t>(cells.m_Width));
    return row.substr(0, row.find_last_not_of(' ') + 1);
}

std::string DrawnName(const std::string& name, int cols, int rows, bool logBelow) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    DialogModel model(console);
    model.Find(static_cast<int>(ConsoleControl::ServerName))->m_Text.SetText(name);
    TerminalCanvas canvas(cols, rows);
    std::vector<TerminalControlView> views(console.m_Controls.size());
    const PictureLookup none;
    TerminalRenderer renderer(canvas, none);
    const TerminalLayout layout =
        logBelow ? TerminalLayout::LogBelow(console, cols, rows) : TerminalLayout(console, cols, rows);
    (void)renderer.Draw(model, layout, views, -1);
    for (size_t index = 0; index < console.m_Controls.size(); ++index) {
        if (console.m_Controls[index].m_Id == static_cast<int>(ConsoleControl::ServerName)) {
            return Shown(canvas, layout.Control(index));
        }
    }
    return "no server name field";
}

TEST(TerminalCutText, ALongServerNameShowsItsStartAndTheMarkInEveryArrangement) {
    std::string name = "Wine Arena";
    while (name.size() < 119) {
        name += " of the long night";
    }
    name.resize(119);
    for (const auto& [cols, rows, logBelow] :
         {std::tuple{80, 24, true}, std::tuple{80, 24, false}, std::tuple{160, 60, true}, std::tuple{60, 20, false}}) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows) + (logBelow ? " log below" : ""));
        const std::string shown = DrawnName(name, cols, rows, logBelow);
        ASSERT_GT(shown.size(), CUT_MARK.size()) << shown;
        EXPECT_EQ(shown.substr(shown.size() - CUT_MARK.size()), CUT_MARK) << shown;
        EXPECT_EQ(name.rfind(shown.substr(0, shown.size() - CUT_MARK.size()), 0), 0u) << shown;
    }
}

TEST(TerminalCutText, ANameThatFitsShowsWholeWithItsAmpersand) {
    EXPECT_EQ(DrawnName("Tom & Jerry", 80, 24, true), "Tom & Jerry");
    EXPECT_EQ(DrawnName("Tom & Jerry", 80, 24, false), "Tom & Jerry");
}

} // namespace
} // namespace dravo
