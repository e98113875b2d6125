// How the console window looks through a real terminal at the sizes operators use: a long player name,
// a question over the window, the colour picker, the caret of a focused log, wrapped help and a
// terminal too small.
#include "integration/TerminalFaceTest.h"

namespace dravo {
namespace {

using namespace terminal_face;

// The player's row in the Players list, from the list's column on: only rows between the list's frame and
// the log's are searched, as the log also names the players.
std::string PlayerRow(const std::string& screen, const std::string& name, size_t listColumn) {
    const auto lines = Lines(screen);
    const int top = RowOf(screen, "Players", std::string::npos, listColumn);
    const int bottom = RowOf(screen, "Console");
    for (int row = top + 1; top >= 0 && row < bottom; ++row) {
        std::string text = FromColumn(lines[static_cast<size_t>(row)], listColumn);
        if (text.find(name) != std::string::npos) {
            return text;
        }
    }
    return {};
}

// Whether the window has been drawn at this width: the log's frame spans every column. Right after a resize
// the terminal still shows the old drawing, padded with blank lines.
bool DrawnAtWidth(const std::string& screen, size_t cols) {
    const int frame = RowOf(screen, "Console");
    if (frame < 0) {
        return false;
    }
    const std::string line = Lines(screen)[static_cast<size_t>(frame)];
    return !FromColumn(line, cols - 1).empty() && FromColumn(line, cols).empty();
}

TEST_F(TerminalFaceTest, TheConsoleWindowLooksWholeAtTheSizesOperatorsUse) {
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
    auto pane = StartServer("-go");
    (void)SettledConsole(*pane);
    const std::string longName(63, 'N');
    auto bots = StartBots("Ace," + longName);
    ASSERT_TRUE(pane->WaitFor("Ace joined the game.")) << pane->Screen();
    pane->Type("addfrag " + longName + " 7");
    pane->Keys({"Enter"});
    // A long name is cut with a mark and the frags keep their column beside the other players'.
    for (const auto& [cols, rows] : {std::pair{80, 24}, {100, 30}, {120, 40}}) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        pane->Resize(cols, rows);
        const size_t list = static_cast<size_t>(cols / 2);
        std::string screen;
        ASSERT_TRUE(pane->WaitUntil([&](const std::string& shown) {
            screen = shown;
            const std::string row = PlayerRow(shown, "NNNN", list);
            return Lines(shown).size() == static_cast<size_t>(rows) && DrawnAtWidth(shown, static_cast<size_t>(cols)) &&
                   row.find("... 7") != std::string::npos;
        })) << pane->Screen();
        const std::string cut = PlayerRow(screen, "NNNN", list);
        const std::string ace = PlayerRow(screen, "Ace", list);
        EXPECT_EQ(cut.find('N'), ace.find("Ace")) << screen;
        EXPECT_EQ(cut.find('7'), ace.find('0', ace.find("Ace"))) << "frags line up\n" << screen;
    }
    pane->Resize(80, 24);
    (void)SettledConsole(*pane);

    // A question over the window blanks nothing round its box: the clock above it stays whole.
    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    EXPECT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return std::regex_search(shown, std::regex("Time in Level: \\d+:\\d\\d:\\d\\d"));
    })) << pane->Screen();
    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Are you sure") == std::string::npos;
    })) << pane->Screen();

    // The colour picker opens below "Night Color:", which stays in view with its value.
    pane->Keys({"M-o"});
    ASSERT_TRUE(pane->WaitFor("Dravo Server Options")) << pane->Screen();
    pane->Keys({"Right", "Right", "Right", "Down", "Down", "Enter"});
    ASSERT_TRUE(pane->WaitFor("Red (0-255)")) << pane->Screen();
    std::string screen = pane->Screen();
    EXPECT_NE(screen.find("[Night Color:] 0.5 0.5 0.5"), std::string::npos) << screen;
    EXPECT_GT(RowOf(screen, "Red (0-255)"), RowOf(screen, "Night Color:")) << screen;
    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Red (0-255)") == std::string::npos;
    })) << pane->Screen();
    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Dravo Server Options") == std::string::npos;
    })) << pane->Screen();

    // A help line that wraps keeps its indent.
    pane->Type("help");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("<name> [value] - shows a console variable")) << pane->Screen();
    screen = pane->Screen();
    const int item = RowOf(screen, "<name> [value]");
    ASSERT_GT(item, 0) << screen;
    const std::string first = Lines(screen)[static_cast<size_t>(item)];
    const std::string wrapped = Lines(screen)[static_cast<size_t>(item) + 1];
    EXPECT_EQ(wrapped.find("follows"), first.find("<name>")) << screen;

    // With the log focused the caret stands in the log, above the command line.
    pane->Keys({"BTab"});
    EXPECT_TRUE(pane->WaitUntil([&pane](const std::string& shown) {
        const int cursor = pane->CursorRow();
        return cursor > RowOf(shown, "Console") && cursor < RowOf(shown, "Command:");
    })) << pane->CursorRow()
        << "\n"
        << pane->Screen();

    // At 40 columns the terminal names the size it needs, whole.
    pane->Resize(40, 20);
    EXPECT_TRUE(pane->WaitFor("Terminal too small (40 x 20): DravoServ")) << pane->Screen();
    EXPECT_NE(pane->Screen().find("needs 80 x 24."), std::string::npos) << pane->Screen();
    pane->Resize(80, 24);
    ASSERT_TRUE(pane->WaitFor("Command:")) << pane->Screen(); // keys typed while too small are dropped
    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

} // namespace
} // namespace dravo
