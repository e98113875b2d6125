// The terminal face through a real terminal: dravoserv runs in a tmux pane (80 x 24 unless a test
// says otherwise) in a copy of the sample game; the test types with send-keys, resizes the window and
// reads the screen with capture-pane, as an operator would look at it.
#include "integration/TerminalFaceTest.h"

namespace dravo {
namespace {

using namespace terminal_face;

TEST_F(TerminalFaceTest, ConsoleWindowShowsEveryInfoFieldOnItsOwnLineIn80x24) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Net Service: " + Address())) << pane->Screen();
    const std::string screen = pane->Screen();
    const std::vector<std::string> fields = {
        "Name: Dravo Sample Server",
        "Running Time: 0:",
        "Net Service: " + Address(),
        "Players: 0",
        "Current Level: Worlds\\Multi\\Cinderworks",
        "Next Level: Worlds\\Multi\\Frostline",
        "Time in Level: 0:",
        "Level Goal: 25 Frags or 10 Minutes",
    };
    std::set<int> rows;
    for (const std::string& field : fields) {
        const int row = RowOf(screen, field);
        EXPECT_GE(row, 0) << field << "\n" << screen;
        EXPECT_TRUE(rows.insert(row).second) << field << " shares a line\n" << screen;
    }
    EXPECT_EQ(Lines(screen).size(), 24u);
    // Box lines are lines: a curses library without wide characters under a UTF-8 locale draws the
    // line characters as the letters that stand for them ("lqqk", "x").
    EXPECT_NE(screen.find("\u2500 Server Info \u2500"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("qqq"), std::string::npos) << screen;

    // The traps of a live game: Esc is a stray key here, plain letters answer no question, and Enter
    // answers No; the command typed around them is sent whole.
    pane->Type("pl");
    pane->Keys({"Escape", "Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command \"pl\"")) << pane->Screen();
    EXPECT_EQ(pane->Screen().find("Are you sure"), std::string::npos) << pane->Screen();
    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Type("yn");
    pane->Keys({"Enter"}); // No is the default answer
    pane->Keys({"Enter"}); // the focus went back to the command, not to Shutdown
    pane->Type("status");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("0 of 16 players")) << pane->Screen(); // what status ends with
    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

TEST_F(TerminalFaceTest, ConsoleLogTakesTheWholeWidthAboveTheKeyLegendAndGrowsWithTheTerminal) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    std::string screen = SettledConsole(*pane);
    const auto lines = Lines(screen);
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_NE(lines.back().find("F1 Help  Up/Down History  Tab Complete  PgUp/PgDn Scroll  Alt+S Shutdown"),
              std::string::npos)
        << screen;
    const int rows80 = LogRows(screen);
    EXPECT_GE(rows80, 10) << screen;
    EXPECT_EQ(RowOf(screen, "Command:"), 22) << "the command line is over the legend\n" << screen;

    // A word too long for a line shows 76 columns of it at least.
    pane->Type(std::string(110, 'z'));
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command")) << pane->Screen();
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return LongestRun(shown, 'z') >= 76; }))
        << pane->Screen();
    EXPECT_LT(LongestRun(pane->Screen(), 'z'), 110u) << pane->Screen();

    // A larger terminal gives the log more rows and the whole word a line.
    pane->Resize(120, 40);
    ASSERT_TRUE(pane->WaitUntil([rows80](const std::string& shown) {
        return Lines(shown).size() == 40 && LogRows(shown) > rows80 && LongestRun(shown, 'z') >= 110;
    })) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Alt+S Shutdown")) << pane->Screen();
    screen = pane->Screen();
    EXPECT_NE(Lines(screen).back().find("F1 Help"), std::string::npos) << screen;

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

TEST_F(TerminalFaceTest, HostedGameShowsPlayersLevelsAndLogAndShutsDownWithTheSettingsSaved) {
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
    const std::string marker = "// written before the run";
    m_Game.Write("dravosrv.cfg", m_Game.Read("dravosrv.cfg") + marker + "\n");
    auto pane = StartServer("-go", 120, 40); // room for the whole rotation
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    const std::string levels = pane->Screen();
    EXPECT_GE(RowOf(levels, "Glasshouse"), 0) << levels;
    EXPECT_GE(RowOf(levels, "Worlds\\Multi\\Ironmarsh"), 0) << levels;
    EXPECT_GE(RowOf(levels, "Worlds\\Multi\\Skyharbor"), 0) << levels;

    auto bots = StartBots("Ace,Bob");
    ASSERT_TRUE(pane->WaitFor("Bob joined the game.")) << pane->Screen();
    // A command typed and entered is logged, and the frags it gives put Bob first.
    pane->Type("addfrag Bob 3");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("addfrag Bob 3")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Players: 2")) << pane->Screen();
    // The player list takes the right half of the window above the log, which names the players too.
    const auto playerRow = [](const std::string& shown, const std::string& name) {
        return RowOf(shown, name, std::string::npos, PLAYER_COLUMN);
    };
    ASSERT_TRUE(pane->WaitUntil([&playerRow](const std::string& shown) {
        const int bob = playerRow(shown, "Bob");
        const int ace = playerRow(shown, "Ace");
        return bob >= 0 && ace > bob && bob < RowOf(shown, "Console") &&
               FromColumn(Lines(shown)[static_cast<size_t>(bob)], PLAYER_COLUMN).find(" 3") != std::string::npos;
    })) << pane->Screen();
    const std::string screen = pane->Screen();
    const auto lines = Lines(screen);
    const std::string bobLine = FromColumn(lines[static_cast<size_t>(playerRow(screen, "Bob"))], PLAYER_COLUMN);
    const std::string aceLine = FromColumn(lines[static_cast<size_t>(playerRow(screen, "Ace"))], PLAYER_COLUMN);
    EXPECT_EQ(bobLine.find("Bob"), aceLine.find("Ace")) << "names line up\n" << screen;
    EXPECT_EQ(bobLine.find('3', bobLine.find("Bob")), aceLine.find('0', aceLine.find("Ace"))) << "frags line up\n"
                                                                                              << screen;
    EXPECT_LT(bobLine.find('('), bobLine.find("Bob")) << "the ping comes first\n" << screen;
    EXPECT_LT(aceLine.find('('), aceLine.find("Ace")) << screen;

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_EQ(saved.find(marker), std::string::npos) << "the configuration was written again";
    EXPECT_NE(saved.find("ServerName \"Dravo Sample Server\""), std::string::npos) << saved;
}

TEST_F(TerminalFaceTest, ConsoleWindowRepaintsWholeAfterResizesAndCtrlLAndTypingNeverShutsItDown) {
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
    // What a fresh start shows at 80 x 24, from a second server on a port of its own.
    std::string fresh80;
    {
        TempDir other;
        std::filesystem::copy(m_Game.Path(), other.Path(), std::filesystem::copy_options::recursive);
        const std::string config = "+Port " + std::to_string(test::FreeUdpPort());
        const std::string command = "'" + DRAVOSERV.string() + "' -go " + config + "; exec cat";
        TmuxPane pane(other.Path(), command, 80, 24);
        fresh80 = SettledConsole(pane);
    }
    auto pane = StartServer("-go", 120, 40);
    const std::string fresh120 = SettledConsole(*pane);
    ASSERT_EQ(Lines(fresh120).size(), 40u);

    // Smaller and larger again: nothing of the other size stays anywhere.
    pane->Resize(80, 24);
    EXPECT_TRUE(Shows(*pane, fresh80)) << pane->Screen() << "\nwanted\n" << fresh80;
    pane->Resize(120, 40);
    EXPECT_TRUE(Shows(*pane, fresh120)) << pane->Screen() << "\nwanted\n" << fresh120;

    // Output from elsewhere on the terminal goes with Ctrl+L.
    pane->Scribble("\033[3;3HSTRAY OUTPUT\033[30;70HMORE STRAY");
    ASSERT_TRUE(pane->WaitFor("STRAY OUTPUT")) << pane->Screen();
    pane->Keys({"C-l"});
    EXPECT_TRUE(Shows(*pane, fresh120)) << pane->Screen();

    // Too small, one line says so, and keys typed meanwhile do nothing; grown again, the window is back.
    pane->Resize(70, 20);
    ASSERT_TRUE(pane->WaitFor("Terminal too small (70 x 20): DravoServ needs 80 x 24.")) << pane->Screen();
    pane->Keys({"Escape"});
    pane->Keys({"Enter"});
    pane->Resize(40, 12); // the text wraps: the size needed is still read in full
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Terminal too small (40 x 12):") != std::string::npos &&
               shown.find("needs 80 x 24.") != std::string::npos;
    })) << pane->Screen();
    pane->Resize(80, 24);
    EXPECT_TRUE(Shows(*pane, fresh80)) << pane->Screen() << "\nwanted\n" << fresh80;

    // A command typed with the focus on a button goes to the command input, as does one typed after
    // scrolling the log.
    pane->Keys({"Tab"});
    pane->Type("shout hi");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command \"shout\"")) << pane->Screen();
    pane->Keys({"BTab", "PageUp"}); // the log
    pane->Type("status");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Level Worlds\\Multi\\Cinderworks")) << pane->Screen();
    pane->Keys({"Tab", "Tab", "Tab"});
    pane->Type("syn");
    EXPECT_TRUE(pane->WaitFor("Command: syn")) << pane->Screen();
    const std::string screen = pane->Screen();
    EXPECT_EQ(screen.find("Are you sure"), std::string::npos) << screen;
    EXPECT_EQ(screen.find(EXITED), std::string::npos) << screen;

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

TEST_F(TerminalFaceTest, FirstRunWalksEveryWizardPageByTabAndTypingAlone) {
    // A first run: nothing saved but the sample's loopback binding.
    m_Game.Write("dravosrv.cfg", "net_bindaddress \"127.0.0.1\"\n");
    auto pane = StartServer("");
    ASSERT_TRUE(pane->WaitFor("Which networking service you would like to use?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("TCP/IP Internet Service")) << pane->Screen();
    const std::string services = pane->Screen();
    EXPECT_LT(RowOf(services, "TCP/IP Internet Service"), RowOf(services, "IPX")) << services;
    pane->Keys({"Enter"}); // the service a first run starts on hosts
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"Down", "Enter"}); // select the file; a double click on it adds it
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "arena.rez") == 2; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();

    // Each field entered by Tab takes what is typed in place of what it held.
    pane->Type("Night Owls");
    pane->Keys({"Tab", "Tab", "Tab", "Tab", "Tab"});
    pane->Type("200");
    pane->Keys({"Tab"});
    pane->Type("70000");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("0 to 65535")) << pane->Screen();
    EXPECT_NE(pane->Screen().find("from 1 to 128"), std::string::npos) << "one box names both\n" << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return shown.find("65535") == std::string::npos; }))
        << pane->Screen();
    const std::string port = " " + std::to_string(m_Port);
    pane->Type(std::to_string(m_Port)); // the refused port is still selected, and goes
    ASSERT_TRUE(pane->WaitUntil([&port](const std::string& shown) {
        return LineWith(shown, "allow?").ends_with(" 128") && LineWith(shown, "port would you").ends_with(port) &&
               shown.find("Night Owls") != std::string::npos;
    })) << "the limit is shown as it will be taken\n"
        << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("What options would you like for this game server?")) << pane->Screen();

    // The colour picker opens at the current colour: its red field, entered first, takes 255 in place of 128.
    pane->Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
    ASSERT_TRUE(pane->WaitFor("Red (0-255):")) << pane->Screen();
    pane->Type("255");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("1.00 0.50 0.50")) << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which levels would you like to play?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Cinderworks")) << pane->Screen();
    pane->Keys({"Enter"}); // a double click on the first retail level puts it into the rotation
    pane->Keys({"M-f"});
    ASSERT_TRUE(pane->WaitFor("Power users can specify")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Net Service: " + Address())) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Name: Night Owls")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Current Level: Worlds\\Multi\\Cinderworks")) << pane->Screen();

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_NE(saved.find("Port \"" + std::to_string(m_Port) + "\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("MaxPlayers \"128\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("ServerName \"Night Owls\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("WorldColorNight \"1.00 0.50 0.50\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("ServiceName \"TCP/IP Internet Service\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Level0 \"Worlds\\\\Multi\\\\Cinderworks\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("RezFile0 \"Custom\\\\arena.rez\""), std::string::npos) << saved;
}

TEST_F(TerminalFaceTest, ADamagedArchiveIsNamedOnScreenAndTheWizardGoesBackToTheArchives) {
    m_Game.Write("dravosrv.cfg", "net_bindaddress \"127.0.0.1\"\nPort \"" + std::to_string(m_Port) + "\"\n");
    m_Game.Write(std::filesystem::path("Custom") / "broken.rez", "not an archive");
    auto pane = StartServer("");
    ASSERT_TRUE(pane->WaitFor("TCP/IP Internet Service")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("broken.rez")) << pane->Screen();
    pane->Type("b"); // finds broken.rez in the list of archives
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "broken.rez") == 2; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();
    pane->Type("Kept Name");
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("What options would you like for this game server?")) << pane->Screen();
    pane->Keys({"M-n"});

    // Loading the archives names the damaged one in the box, on screen, and the archive page comes back.
    ASSERT_TRUE(pane->WaitFor("ERROR - Unable to load Dravo resources.")) << pane->Screen();
    EXPECT_NE(pane->Screen().find("broken.rez"), std::string::npos) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"Enter"}); // the damaged one is selected in the list to load: a double click takes it off
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "broken.rez") == 1; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Kept Name")) << "what was entered stays\n" << pane->Screen();

    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitFor("Discard the setup and exit DravoServ?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "1")) << pane->Screen();
    // One line says so; the damaged archive, dealt with on its page, is not repeated.
    EXPECT_EQ(Count(pane->Screen(), "The setup was cancelled: nothing was saved"), 1u) << pane->Screen();
    EXPECT_EQ(pane->Screen().find("ERROR"), std::string::npos) << pane->Screen();
}

// The console's keys with a UTF-8 locale and with the C locale (false, true): history, completion,
// scrolling, help and a resize.
class TerminalFaceLocaleTest : public TerminalFaceTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        TerminalFaceTest::SetUp();
        if (GetParam()) {
            m_Environment = "env LANG=C LC_ALL=C ";
        }
    }
};

INSTANTIATE_TEST_SUITE_P(Locales, TerminalFaceLocaleTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& locale) { return locale.param ? "C" : "Utf8"; });

TEST_P(TerminalFaceLocaleTest, ConsoleRecallsCompletesScrollsHelpsAndKeepsItsLayoutThroughAResize) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    (void)SettledConsole(*pane);
    const auto commandIs = [&pane](const std::string& wanted) {
        return pane->WaitUntil([&wanted](const std::string& shown) { return CommandLine(shown) == wanted; });
    };

    // Tab completes a command; Enter sends it.
    pane->Type("sta");
    pane->Keys({"Tab"});
    ASSERT_TRUE(commandIs("status")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("0 of 16 players")) << pane->Screen();
    ASSERT_TRUE(commandIs("")) << pane->Screen();
    pane->Type("alpha");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command \"alpha\"")) << pane->Screen();

    // Up and Down walk the history, the newest first; past the newest the line is empty again.
    pane->Keys({"Up"});
    ASSERT_TRUE(commandIs("alpha")) << pane->Screen();
    pane->Keys({"Up"});
    ASSERT_TRUE(commandIs("status")) << pane->Screen();
    pane->Keys({"Down"});
    ASSERT_TRUE(commandIs("alpha")) << pane->Screen();
    pane->Keys({"Down"});
    ASSERT_TRUE(commandIs("")) << pane->Screen();

    // F1 shows the actions and then the keys; by now the first lines of the log have scrolled out of its
    // ten rows, and Page Up brings them back, Page Down the end again.
    pane->Keys({"F1"});
    ASSERT_TRUE(pane->WaitFor("also Alt+N Next Level, Alt+B Boot, Alt+C Clear.")) << pane->Screen();
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Initializing the server...") == std::string::npos;
    })) << pane->Screen();
    pane->Keys({"PageUp", "PageUp", "PageUp", "PageUp", "PageUp", "PageUp"});
    ASSERT_TRUE(pane->WaitFor("Initializing the server...")) << pane->Screen();
    pane->Keys({"PageDown", "PageDown", "PageDown", "PageDown", "PageDown", "PageDown", "PageDown"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Initializing the server...") == std::string::npos &&
               shown.find("Alt+C Clear.") != std::string::npos;
    })) << pane->Screen();
    pane->Keys({"PageUp"});
    ASSERT_TRUE(pane->WaitFor("Actions: /boot")) << pane->Screen();
    pane->Keys({"PageDown"});

    // A larger terminal and back: every info field, the log and the legend are there each time.
    for (const auto& [cols, rows] : {std::pair{120, 40}, std::pair{80, 24}}) {
        pane->Resize(cols, rows);
        ASSERT_TRUE(pane->WaitUntil([rows = rows](const std::string& shown) {
            const auto lines = Lines(shown);
            return static_cast<int>(lines.size()) == rows && lines.back().find("Alt+S Shutdown") != std::string::npos &&
                   LogRows(shown) >= 10 && shown.find("Level Goal: 25 Frags or 10 Minutes") != std::string::npos &&
                   shown.find("Net Service: Tcp/ip") != std::string::npos;
        })) << pane->Screen();
    }
    pane->Type("alp");
    pane->Keys({"Up"}); // the history goes on after the resize
    ASSERT_TRUE(commandIs("alpha")) << pane->Screen();

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    EXPECT_NE(m_Game.Read("dravosrv.history").find("alpha"), std::string::npos) << "the history is kept";
}

// The traps of the setup, replayed key by key: none of them loses the setup, and what was entered is
// what the game is hosted with.
TEST_P(TerminalFaceLocaleTest, WizardTrapsKeepTheSetupAndAMissingArchiveIsNamedOnScreen) {
    m_Game.Write("dravosrv.cfg", "net_bindaddress \"127.0.0.1\"\nPort \"" + std::to_string(m_Port) +
                                     "\"\nNumRezFiles \"1\"\nRezFile0 \"Custom\\\\gone.rez\"\n");
    auto pane = StartServer("");
    const std::string services = "Which networking service you would like to use?";
    ASSERT_TRUE(pane->WaitFor("TCP/IP Internet Service")) << pane->Screen();
    const auto stillOn = [&pane](const std::string& question) {
        return pane->WaitUntil([&question](const std::string& shown) {
            return shown.find(question) != std::string::npos && shown.find("Discard the setup") == std::string::npos &&
                   shown.find("ERROR") == std::string::npos;
        });
    };

    // A "c" presses no Cancel; Esc and Cancel ask, Enter answers No, plain letters answer nothing.
    pane->Type("c");
    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitFor("Discard the setup and exit DravoServ?")) << pane->Screen();
    pane->Type("y");
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn(services)) << pane->Screen();
    pane->Keys({"M-c"});
    ASSERT_TRUE(pane->WaitFor("Discard the setup and exit DravoServ?")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn(services)) << pane->Screen();

    // A refused service says so and keeps the page; the usable one goes on.
    pane->Keys({"Tab"}); // back to the list from the button
    pane->Keys({"Down"});
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("ERROR - Unable to use the selected network service.")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn(services)) << pane->Screen();
    pane->Keys({"Home"});
    pane->Keys({"M-n"});

    // The archive on the list that is not there is named; the page stays with it selected, and Enter
    // (a double click) takes it off.
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("No such rez file: Custom\\gone.rez")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "gone.rez") == 0; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();
    pane->Type("Trap Free");
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("What options would you like for this game server?")) << pane->Screen();
    pane->Keys({"M-n"});

    // The level page says why Finish is dim; an "f" in the list finds Frostline and finishes nothing.
    ASSERT_TRUE(pane->WaitFor("Which levels would you like to play?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Add at least one level to finish.")) << pane->Screen();
    pane->Type("f");
    ASSERT_TRUE(stillOn("Which levels would you like to play?")) << pane->Screen();
    pane->Keys({"Enter"}); // a double click on the level found
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return Count(shown, "Frostline") == 2 && shown.find("Add at least one level") == std::string::npos;
    })) << pane->Screen();
    pane->Keys({"M-f"});
    ASSERT_TRUE(pane->WaitFor("Power users can specify")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Name: Trap Free")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Current Level: Worlds\\Multi\\Frostline")) << pane->Screen();

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    EXPECT_EQ(pane->Screen().find("ERROR"), std::string::npos)
        << "the refused service and the missing archive were dealt with on their pages\n"
        << pane->Screen();
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_NE(saved.find("ServerName \"Trap Free\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Level0 \"Worlds\\\\Multi\\\\Frostline\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("NumRezFiles \"0\""), std::string::npos) << saved;
}

} // namespace
} // namespace dravo
