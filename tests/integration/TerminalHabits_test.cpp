// The keys a shell or SSH user types by habit, replayed through tmux key by key under the terminal types
// an operator's terminal has (tmux's and screen's, xterm's) in a UTF-8 and in the C locale: none of them
// ends the game, changes the level, opens a dialog that takes the typing, or types a key's sequence as
// text. And a terminal that goes away stops the server as a stop signal does.
#include "integration/TerminalFaceTest.h"

#include <csignal>
#include <fstream>
#include <tuple>

#include <sys/types.h>

namespace dravo {
namespace {

using namespace terminal_face;

constexpr const char* START_LEVEL = "Current Level: Worlds\\Multi\\Cinderworks";

class TerminalHabitsTest : public TerminalFaceTest,
                           public ::testing::WithParamInterface<std::tuple<std::string, bool>> {
protected:
    void SetUp() override {
        TerminalFaceTest::SetUp();
        const auto& [term, plainC] = GetParam();
        m_Environment = "env TERM=" + term + (plainC ? " LANG=C LC_ALL=C " : " LANG=C.UTF-8 LC_ALL=C.UTF-8 ");
    }
    // Sends a command nobody knows and waits for its answer: every key before it has been handled then.
    void RoundTrip(TmuxPane& pane) {
        const std::string mark = "mark" + std::to_string(++m_Marks);
        pane.Type(mark);
        pane.Keys({"Enter"});
        ASSERT_TRUE(pane.WaitFor("Unknown command \"" + mark + "\"")) << pane.Screen();
    }
    // Nothing a key could have done to the game: the level is the first, no question or dialog is up.
    static void ExpectUntouched(TmuxPane& pane, const std::string& after) {
        const std::string screen = pane.Screen();
        EXPECT_GE(RowOf(screen, START_LEVEL), 0) << after << "\n" << screen;
        EXPECT_EQ(screen.find("Are you sure"), std::string::npos) << after << "\n" << screen;
        EXPECT_EQ(screen.find(EXITED), std::string::npos) << after << "\n" << screen;
        EXPECT_GE(RowOf(screen, "Command:"), 0) << after << "\n" << screen;
    }

    int m_Marks = 0;
};

INSTANTIATE_TEST_SUITE_P(Terminals, TerminalHabitsTest,
                         ::testing::Combine(::testing::Values("screen", "screen-256color", "xterm-256color"),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<std::string, bool>>& terminal) {
                             std::string name =
                                 std::get<0>(terminal.param) + (std::get<1>(terminal.param) ? "_C" : "_Utf8");
                             std::ranges::replace(name, '-', '_');
                             return name;
                         });

TEST_P(TerminalHabitsTest, ChordsSplitSequencesTabsAndCtrlCNeverActOnTheGame) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    (void)SettledConsole(*pane);
    const auto commandIs = [&pane](const std::string& wanted) {
        return pane->WaitUntil([&wanted](const std::string& shown) { return CommandLine(shown) == wanted; });
    };

    // Alt+B (a word back) and Alt+N, and Esc with n in one write, act on the line only.
    pane->Type("one two");
    pane->Keys({"M-b", "M-n", "Escape", "n"});
    pane->Type("X");
    ASSERT_TRUE(commandIs("one Xtwo")) << pane->Screen();
    pane->Keys({"End", "C-u"});
    RoundTrip(*pane);
    ExpectUntouched(*pane, "after Alt+B, Alt+N, Esc n");

    // An Up arrow split in two writes is one key; what is typed after it goes to the command.
    pane->Type("\x1bO");
    pane->Type("A");
    pane->Keys({"End", "C-u"});
    RoundTrip(*pane);
    ExpectUntouched(*pane, "after a split arrow");

    // The options dialog, opened by its action, takes none of the typing meant for the command input.
    pane->Type("/options");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Tractor Beam")) << pane->Screen();
    pane->Type("kick 3");
    pane->Keys({"Enter", "Escape"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Tractor Beam") == std::string::npos;
    })) << pane->Screen();
    RoundTrip(*pane);
    EXPECT_EQ(pane->Screen().find("Game options applied"), std::string::npos) << pane->Screen();

    // Tab three times from an empty input, then Enter, sends an empty command and presses nothing.
    pane->Keys({"Tab", "Tab", "Tab", "Enter"});
    RoundTrip(*pane);
    ExpectUntouched(*pane, "after Tab Tab Tab Enter");

    // Modified arrows and Delete move and cut by words; none of their sequence is typed.
    pane->Type("one two");
    pane->Keys({"C-Left", "M-Left", "S-Right", "C-DC"});
    pane->Type("X");
    ASSERT_TRUE(commandIs("oX two")) << pane->Screen();

    // Ctrl+C drops a line that holds text; on an empty line it asks, and Tab, Up or Alt+Y, then Enter
    // answers No.
    pane->Keys({"C-c"});
    ASSERT_TRUE(commandIs("")) << pane->Screen();
    EXPECT_EQ(pane->Screen().find("Are you sure"), std::string::npos) << pane->Screen();
    pane->Keys({"C-c"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Tab", "Up", "M-y", "Enter"});
    RoundTrip(*pane);
    ExpectUntouched(*pane, "after Ctrl+C, Tab, Up, Alt+Y, Enter");

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

// Text beyond ASCII is typed, edited, sent and recalled whole; a UTF-8 terminal shows it, the C locale
// shows each character as '?' (a wide one and a blank in its two cells). A pasted line longer than a
// command stops at the limit, and the key line says so.
TEST_P(TerminalHabitsTest, TextBeyondAsciiIsTypedWholeAndALongPasteShowsTheLimit) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    (void)SettledConsole(*pane);
    const bool plainC = std::get<1>(GetParam());
    const auto shown = [plainC](const std::string& utf8, const std::string& plain) { return plainC ? plain : utf8; };
    const auto commandIs = [&pane](const std::string& wanted) {
        return pane->WaitUntil([&wanted](const std::string& screen) { return CommandLine(screen) == wanted; });
    };

    pane->Type("Nuit des Hiboux \xC3\xA9");
    ASSERT_TRUE(commandIs(shown("Nuit des Hiboux \xC3\xA9", "Nuit des Hiboux ?"))) << pane->Screen();
    pane->Keys({"C-u"});
    pane->Type("\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC");
    ASSERT_TRUE(commandIs(shown("\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC", "?? ?"))) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(
        pane->WaitFor(shown("Unknown command \"\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC\"", "Unknown command \"?? ? \"")))
        << pane->Screen();
    pane->Keys({"Up"});
    ASSERT_TRUE(commandIs(shown("\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC", "?? ?"))) << "history, whole: " << pane->Screen();
    pane->Keys({"BSpace", "Left", "BSpace"}); // 本, then é: whole characters
    pane->Type("x");
    ASSERT_TRUE(commandIs(shown("x\xE6\x97\xA5", "x?"))) << pane->Screen();
    pane->Keys({"C-u"});

    pane->Type(std::string(133, 'a'));
    ASSERT_TRUE(pane->WaitFor("The command is full: 119 bytes at the most")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command")) << pane->Screen();
    ASSERT_TRUE(commandIs("")) << pane->Screen();
    EXPECT_EQ(pane->Screen().find("The command is full"), std::string::npos) << pane->Screen();
    pane->Type(std::string(118, 'b') + "\xC3\xA9"); // the é would be the 120th byte
    ASSERT_TRUE(pane->WaitFor("The command is full: 119 bytes at the most")) << pane->Screen();
    pane->Keys({"BSpace"});
    pane->Type("\xC3\xA9");
    EXPECT_TRUE(pane->WaitUntil([plainC](const std::string& screen) {
        return CommandLine(screen).ends_with(plainC ? "b?" : "b\xC3\xA9");
    })) << pane->Screen();
}

// Pasted text is text: a pasted Esc or Tab acts as no key, and several lines run only once the
// question that opens on No is answered Yes.
TEST_P(TerminalHabitsTest, APasteIsTextAndSeveralPastedLinesRunOnlyAfterYes) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    (void)SettledConsole(*pane);
    pane->Paste("one\x1b\ttwo");
    ASSERT_TRUE(pane->WaitUntil([](const std::string& screen) { return CommandLine(screen) == "one two"; }))
        << pane->Screen();
    pane->Keys({"C-u"});
    pane->Paste("pone\nptwo\n");
    ASSERT_TRUE(pane->WaitFor("Run the 2 pasted lines as commands?")) << pane->Screen();
    pane->Keys({"Tab", "Enter"});
    ASSERT_TRUE(pane->WaitFor("The pasted lines did not run.")) << pane->Screen();
    EXPECT_EQ(pane->Screen().find("Unknown command \"pone\""), std::string::npos) << pane->Screen();
    pane->Paste("pone\nptwo\n");
    ASSERT_TRUE(pane->WaitFor("Run the 2 pasted lines as commands?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    ASSERT_TRUE(pane->WaitFor("Unknown command \"ptwo\"")) << pane->Screen();
    EXPECT_NE(pane->Screen().find("Unknown command \"pone\""), std::string::npos) << pane->Screen();
    ExpectUntouched(*pane, "after the pastes");
}

// Ctrl+R searches the history back as a shell does: a fragment finds the newest line holding it, Ctrl+R
// again the one before, Enter sends it; Ctrl+G leaves the line as it was. A sent command shows in the log
// with "> " before it, apart from its answer.
TEST_P(TerminalHabitsTest, CtrlRFindsOlderCommandsAndCtrlGLeavesTheLineAsItWas) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    (void)SettledConsole(*pane);
    for (const std::string line : {"alpha1", "beta", "alpha2"}) {
        pane->Type(line);
        pane->Keys({"Enter"});
        ASSERT_TRUE(pane->WaitFor("Unknown command \"" + line + "\"")) << pane->Screen();
    }
    EXPECT_NE(pane->Screen().find("> alpha2"), std::string::npos) << pane->Screen();

    pane->Keys({"C-r"});
    pane->Type("alpha");
    ASSERT_TRUE(pane->WaitFor("(reverse-i-search)`alpha': alpha2")) << pane->Screen();
    pane->Keys({"C-r"});
    ASSERT_TRUE(pane->WaitFor("(reverse-i-search)`alpha': alpha1")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& screen) {
        return Count(screen, "Unknown command \"alpha1\"") == 2;
    })) << pane->Screen();
    EXPECT_EQ(Count(pane->Screen(), "> alpha1"), 2u) << pane->Screen();

    pane->Type("zzz");
    pane->Keys({"C-r"});
    pane->Type("bet");
    ASSERT_TRUE(pane->WaitFor("(reverse-i-search)`bet': beta")) << pane->Screen();
    pane->Keys({"C-g"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& screen) {
        return CommandLine(screen) == "zzz" && screen.find("reverse-i-search") == std::string::npos;
    })) << pane->Screen();
    pane->Keys({"C-u"});
    RoundTrip(*pane);
    EXPECT_EQ(Count(pane->Screen(), "Unknown command \"beta\""), 1u) << "Ctrl+G sent nothing: " << pane->Screen();
    ExpectUntouched(*pane, "after Ctrl+R and Ctrl+G");
}

TEST_F(TerminalFaceTest, ATerminalThatGoesAwayStopsTheServerAndItsSettingsAreSaved) {
    Configure({{"Port", std::to_string(m_Port)}});
    const std::string marker = "// written before the run";
    m_Game.Write("dravosrv.cfg", m_Game.Read("dravosrv.cfg") + marker + "\n");
    // The shell gives its process to dravoserv, so the number it writes is the server's.
    const std::filesystem::path pidFile = m_Game.Path() / "dravoserv.pid";
    m_Environment = "echo $$ > '" + pidFile.string() + "'; exec ";
    auto pane = StartServer("-go -logfile run.log");
    (void)SettledConsole(*pane);
    pid_t pid = 0;
    std::ifstream(pidFile) >> pid;
    ASSERT_GT(pid, 0);

    pane.reset(); // the tmux server ends: its terminals hang up, SIGHUP comes (and only reopens the log)
    const auto deadline = std::chrono::steady_clock::now() + SCREEN_LIMIT;
    while (kill(pid, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(LOOK_INTERVAL); // a process that is not ours has no exit to wait on
    }
    const bool ended = kill(pid, 0) != 0;
    if (!ended) {
        (void)kill(pid, SIGKILL);
    }
    ASSERT_TRUE(ended) << "the server went on without its terminal";
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_EQ(saved.find(marker), std::string::npos) << "the configuration was written again";
    EXPECT_NE(saved.find("ServerName \"Dravo Sample Server\""), std::string::npos) << saved;
}

} // namespace
} // namespace dravo
