// The console window through the scripted face: fields, players, commands, clocks and the way out.
#include "ui/ConsoleWindow.h"

#include "ui/ConsoleWindowTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace dravo {
namespace {

using test::ConsoleWindowTest;
using Control = ConsoleControl;

TEST_F(ConsoleWindowTest, SentLinesComeBackWithUpInThisRunAndTheNext) {
    m_HistoryFile = "console.history";
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        Enter(dialog, "status");
        Enter(dialog, "/players");
        Enter(dialog, "//slash");
        EXPECT_EQ(m_Engine.m_Commands.back(), "/slash");
        EXPECT_EQ(std::count(m_Engine.m_Commands.begin(), m_Engine.m_Commands.end(), "/players"), 0);
        EXPECT_EQ(dialog.Text(Control::ConsoleLog).find("Unknown command"), std::string::npos);
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, "sta"), "//slash");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, "//slash"), "/players");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, 1, "/players"), "//slash");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, 1, "//slash"), "sta");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::PlayerList, -1, ""), std::nullopt);
        Shutdown(m_Windows, dialog);
    });
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, ""), "//slash");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, ""), "/players");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, ""), "status");
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, TabCompletesActionsAndPlayerNamesAndListsTheChoices) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        window.Session().OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob][PLRF2:1][PLRI2:12]");
        dialog.RunPosted();
        auto completion = dialog.Api().DeliverCompletion(Control::CommandInput, "kick a");
        ASSERT_TRUE(completion);
        EXPECT_EQ(completion->m_Text, "kick Ace ");
        completion = dialog.Api().DeliverCompletion(Control::CommandInput, "/pl");
        ASSERT_TRUE(completion);
        EXPECT_EQ(completion->m_Text, "/players ");
        completion = dialog.Api().DeliverCompletion(Control::CommandInput, "/s");
        ASSERT_TRUE(completion);
        EXPECT_EQ(completion->m_Text, "/s");
        EXPECT_EQ(completion->m_Choices, (std::vector<std::string>{"/shutdown", "/status"}));
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "Completions: /shutdown /status");
        completion = dialog.Api().DeliverCompletion(Control::CommandInput, "kick z");
        ASSERT_TRUE(completion);
        EXPECT_EQ(completion->m_Text, "kick z"); // nothing fits: the text stays
        EXPECT_FALSE(dialog.Api().DeliverCompletion(Control::PlayerList, "a"));
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, OpeningFillsEveryField) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.Title(), "Dravo Server v2.1");
        EXPECT_EQ(dialog.Text(Control::ServerName), "Console Test");
        EXPECT_EQ(dialog.Text(Control::PlayerCount), "0");
        EXPECT_EQ(dialog.Text(Control::LevelGoal), "25 Frags or 10 Minutes");
        EXPECT_EQ(dialog.Text(Control::NextLevelName), "Worlds\\Multi\\Frostline");
        EXPECT_EQ(dialog.ListCount(Control::LevelList), 3);
        EXPECT_EQ(dialog.ListText(Control::LevelList, 0), "* Worlds\\Multi\\Cinderworks") << "the level played";
        EXPECT_EQ(dialog.ListText(Control::LevelList, 2), "  Arena");
        EXPECT_FALSE(dialog.IsEnabled(Control::Boot));
        // Hosting has started through the posted command.
        EXPECT_EQ(dialog.Text(Control::NetService), "Tcp/ip [127.0.0.1]");
        EXPECT_EQ(LastLogLine(dialog), "Server is running.");
        EXPECT_EQ(dialog.Text(Control::RunningTime), "0:00");
        Shutdown(m_Windows, dialog);
    });
    EXPECT_EQ(m_Engine.m_Posted, (std::vector<std::string>{"GAMEINIT", "DRAVOSERV"}));
}

TEST_F(ConsoleWindowTest, LevelGoalByEndType) {
    GameInfo game{};
    game.m_EndFrags = 25;
    game.m_EndTime = 10;
    const std::pair<uint8_t, const char*> cases[] = {{1, "25 Frags"},
                                                     {2, "10 Minutes"},
                                                     {3, "25 Frags or 10 Minutes"},
                                                     {4, "None. Level never ends"},
                                                     {0, "None. Level never ends"}};
    for (const auto& [type, text] : cases) {
        game.m_EndType = type;
        EXPECT_EQ(FormatLevelGoal(game), text);
    }
}

TEST_F(ConsoleWindowTest, TimesShowHoursMinutesAndSeconds) {
    EXPECT_EQ(FormatRunningTime(83000), "0:01:23");
    EXPECT_EQ(FormatRunningTime(3599999), "0:59:59");
    EXPECT_EQ(FormatRunningTime(3600000), "1:00:00");
    EXPECT_EQ(FormatRunningTime(26u * 3600000u), "26:00:00");
}

TEST_F(ConsoleWindowTest, OneLevelLeavesNextLevelEmpty) {
    m_Game.m_LevelCount = 1;
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.Text(Control::CurrentLevel), "Worlds\\Multi\\Cinderworks");
        EXPECT_EQ(dialog.Text(Control::NextLevelName), "");
        EXPECT_EQ(dialog.ListCount(Control::LevelList), 1);
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, ClocksChangeOnlyWithTheShownSecond) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        const int timer = 0;
        m_Clock.Advance(600);
        ASSERT_TRUE(dialog.FireTimer(timer));
        EXPECT_EQ(dialog.Text(Control::RunningTime), "0:00"); // still the same second
        m_Clock.Advance(3599 * 1000 - 600);
        dialog.FireTimer(timer);
        EXPECT_EQ(dialog.Text(Control::RunningTime), "0:59:59");
        m_Clock.Advance(1000);
        dialog.FireTimer(timer);
        EXPECT_EQ(dialog.Text(Control::RunningTime), "1:00:00");
        EXPECT_EQ(dialog.Text(Control::TimeInLevel), "1:00:00");
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, PlayerSelectionSurvivesARefreshAndBootUsesTheClientId) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        window.Session().OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob][PLRF2:1][PLRI2:12]");
        dialog.RunPosted();
        EXPECT_EQ(dialog.Text(Control::PlayerCount), "2");
        ASSERT_TRUE(dialog.Select(Control::PlayerList, 1)); // Bob
        EXPECT_TRUE(dialog.IsEnabled(Control::Boot));
        window.Session().OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob][PLRF2:9][PLRI2:12]");
        dialog.RunPosted();
        EXPECT_EQ(dialog.ListText(Control::PlayerList, 0), "(0)\tBob\t9\tid 12");
        EXPECT_EQ(dialog.Selection(Control::PlayerList), 0); // Bob moved up and stays selected
        EXPECT_TRUE(dialog.Click(Control::Boot));            // unanswered, the question keeps Bob
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
        EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, "Boot Bob from the game?");
        EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Default, MessageBoxDefault::Second);
        EXPECT_TRUE(m_Engine.m_Disconnected.empty());
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        EXPECT_TRUE(dialog.Click(Control::Boot));
        EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{12});
        window.Session().OnGameText("[GMSG:0][PLRS:1][PLRN1:Ace][PLRF1:3][PLRI1:11]");
        dialog.RunPosted();
        EXPECT_EQ(dialog.Selection(Control::PlayerList), NO_SELECTION); // Bob left
        EXPECT_FALSE(dialog.IsEnabled(Control::Boot));
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, OfTwoPlayersWithOneNameTheSelectedOneStaysSelected) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        window.Session().OnGameText("[GMSG:0][PLRS:3][PLRN1:Twin][PLRF1:2][PLRI1:1][PLRN2:Twin][PLRF2:2][PLRI2:2]"
                                    "[PLRN3:Ace][PLRF3:9][PLRI3:3]");
        dialog.RunPosted();
        ASSERT_TRUE(dialog.Select(Control::PlayerList, 2));
        const std::optional<int64_t> chosen = dialog.Api().ListData(Control::PlayerList, 2);
        ASSERT_TRUE(chosen);
        // The other twin takes the lead: the selection follows the player, not the name or the place.
        const std::string other = *chosen == 1 ? "2" : "1";
        const std::string swapped = "[GMSG:0][PLRS:3][PLRN1:Twin][PLRF1:8][PLRI1:" + other +
                                    "][PLRN2:Twin][PLRF2:2][PLRI2:" + std::to_string(*chosen) +
                                    "][PLRN3:Ace][PLRF3:5][PLRI3:3]";
        window.Session().OnGameText(swapped.c_str());
        dialog.RunPosted();
        EXPECT_EQ(dialog.Selection(Control::PlayerList), 2);
        EXPECT_EQ(dialog.Api().ListData(Control::PlayerList, 2), chosen);
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        EXPECT_TRUE(dialog.Click(Control::Boot));
        EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{static_cast<uint32_t>(*chosen)});
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, SendLogsRunsAndEmptiesTheInput) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        const std::string command = "set SpyGameType ctf " + std::string(130, 'x');
        ASSERT_TRUE(dialog.SetText(Control::CommandInput, command));
        ASSERT_TRUE(dialog.PressEnter());
        EXPECT_EQ(LastLogLine(dialog), "> " + command.substr(0, 119));
        EXPECT_EQ(m_Engine.m_Commands.back(), command.substr(0, 119));
        EXPECT_EQ(dialog.Text(Control::CommandInput), "");
        const size_t commands = m_Engine.m_Commands.size();
        dialog.PressEnter(); // empty input: nothing
        EXPECT_EQ(m_Engine.m_Commands.size(), commands);
        dialog.Click(Control::Clear); // unanswered, the question takes No, its default
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
        EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Default, MessageBoxDefault::Second);
        EXPECT_EQ(LastLogLine(dialog), "> " + command.substr(0, 119));
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(Control::Clear);
        EXPECT_EQ(dialog.Text(Control::ConsoleLog), "");
        const size_t posted = m_Engine.m_Posted.size();
        dialog.Click(Control::NextLevelButton); // unanswered, the question keeps the level
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 3u);
        EXPECT_EQ(m_Windows.MessageBoxes()[2].m_Default, MessageBoxDefault::Second);
        EXPECT_EQ(m_Engine.m_Posted.size(), posted);
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(Control::NextLevelButton);
        EXPECT_EQ(m_Engine.m_Posted.back(), "NEXTLEVEL");
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, PastedLinesAreShownAndRunOnlyOnceTheOperatorSaysYes) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        const std::vector<std::string> lines = {"say one", "status", std::string(130, 'x'), "say three"};
        const size_t commands = m_Engine.m_Commands.size();
        EXPECT_TRUE(dialog.Api().DeliverPastedLines(Control::CommandInput, lines)); // unanswered: No
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
        const auto& asked = m_Windows.MessageBoxes()[0];
        EXPECT_EQ(asked.m_Default, MessageBoxDefault::Second);
        EXPECT_EQ(asked.m_Buttons, MessageBoxButtons::YesNo);
        EXPECT_NE(asked.m_Text.find("Run the 3 pasted lines as commands?"), std::string::npos) << asked.m_Text;
        EXPECT_NE(asked.m_Text.find("  say one\n  status\n  say three"), std::string::npos) << asked.m_Text;
        EXPECT_NE(asked.m_Text.find("1 longer than a command (119 bytes) will not run."), std::string::npos);
        EXPECT_EQ(m_Engine.m_Commands.size(), commands) << "nothing runs before the answer";
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "The pasted lines did not run.");

        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        EXPECT_TRUE(dialog.Api().DeliverPastedLines(Control::CommandInput, lines));
        EXPECT_EQ(m_Engine.m_Commands.back(), "status") << "the engine's command ran";
        // Each entered as a typed line, in order, and kept in the history; the long one was not.
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, ""), "say three");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, "say three"), "status");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, "status"), "say one");
        EXPECT_EQ(dialog.Api().DeliverRecall(Control::CommandInput, -1, "say one"), std::nullopt);
        EXPECT_EQ(dialog.Api().DeliverHistory(Control::CommandInput),
                  (std::vector<std::string>{"say one", "status", "say three"}))
            << "the lines Ctrl+R searches, the oldest first";
        EXPECT_TRUE(dialog.Api().DeliverHistory(Control::ConsoleLog).empty());
        EXPECT_FALSE(dialog.Api().DeliverPastedLines(Control::ConsoleLog, lines)) << "only the command input runs";
        EXPECT_TRUE(dialog.Api().DeliverPastedLines(Control::CommandInput, {std::string(120, 'y')}));
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "The pasted lines are longer than a command (119 bytes): none ran.");
        EXPECT_EQ(m_Windows.MessageBoxes().size(), 2u) << "nothing to ask about";
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, ShutdownAsksAndNoKeepsHosting) {
    const int result = Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        m_Windows.QueueAnswer(MessageBoxResult::No);
        dialog.Click(Control::Shutdown);
        EXPECT_FALSE(dialog.Ended());
        EXPECT_TRUE(window.Session().IsRunning());
        m_Windows.QueueAnswer(MessageBoxResult::No);
        dialog.Close(); // the close box asks the same
        EXPECT_FALSE(dialog.Ended());
        Shutdown(m_Windows, dialog);
        EXPECT_TRUE(dialog.Ended());
        EXPECT_FALSE(window.Session().IsRunning());
    });
    EXPECT_EQ(result, DIALOG_ID_CANCEL);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 3u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, "Are you sure you want to exit?");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Caption, "DravoServ");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Icon, MessageBoxIcon::Question);
}

TEST_F(ConsoleWindowTest, ForcedCloseDoesNotAsk) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) { dialog.ForceClose(); });
    EXPECT_TRUE(m_Windows.MessageBoxes().empty());
    ASSERT_EQ(m_Windows.Dialogs().size(), 1u);
    EXPECT_TRUE(m_Windows.Dialogs()[0].m_Finished);
}

TEST_F(ConsoleWindowTest, AFailedFrameStopsHostingOnTheWindowThreadAndTheWindowStaysOpen) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        m_Engine.m_ErrorText = "The frame fell over.";
        m_Engine.m_FrameSucceeds = false;
        {
            std::scoped_lock lock(window.Session().Lock());
            m_Steps.Step();
        }
        EXPECT_FALSE(window.Session().IsRunning());
        dialog.RunPosted(); // the stop's work, on this thread
        EXPECT_FALSE(dialog.Ended());
        const std::string log = dialog.Text(Control::ConsoleLog);
        EXPECT_NE(log.find("The frame fell over.\r\n"), std::string::npos);
        EXPECT_EQ(LastLogLine(dialog).substr(0, 23), "The game is not hosted ");
        EXPECT_EQ(dialog.Text(Control::NetService), "Not hosting - see the log");
        Shutdown(m_Windows, dialog); // the stop ran once already: this one only closes
        EXPECT_TRUE(dialog.Ended());
    });
}

TEST_F(ConsoleWindowTest, LinesLoggedAfterTheWindowClosedAreStillShown) {
    ServerSession* session = nullptr;
    {
        test::HostedConsole window(m_Windows, m_Clock, &m_Engine,
                                   SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, 0}, &m_Steps);
        m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [&](ScriptedDialog& dialog) {
            window.Session().LogLine("while running");
            dialog.ForceClose();
            window.Session().LogLine("while closing"); // posted, then the window ends
        });
        (void)window.Run();
        session = &window.Session();
        session->LogLine("after the window"); // no window left to show it
    }
    (void)session;
    EXPECT_EQ(m_Windows.LateLogLines(), std::vector<std::string>{"after the window"});
    ASSERT_EQ(m_Windows.Dialogs().size(), 1u);
}

TEST_F(ConsoleWindowTest, MemoryExhaustionShowsMessage106AndClosesWithoutAsking) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        m_Engine.m_Handler->OnMemoryExhausted();
        dialog.RunPosted();
        EXPECT_TRUE(dialog.Ended());
    });
    EXPECT_TRUE(m_RanOutOfMemory);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, "ERROR - Out of memory.  The Dravo server will be shutdown.");
}

TEST_F(ConsoleWindowTest, LogKeepsTheNewestQuarterPastFiveHundredLines) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(Control::Clear);
        for (int line = 1; line <= 500; ++line) {
            window.Session().LogLine("line %d", line);
        }
        dialog.RunPosted();
        EXPECT_EQ(dialog.Text(Control::ConsoleLog).substr(0, 8), "line 1\r\n");
        // The control now counts 501 lines (the last one empty): the next line first drops
        // everything before line 501 * 75 / 100 = 375, counted from 0.
        window.Session().LogLine("line %d", 501);
        dialog.RunPosted();
        const std::string log = dialog.Text(Control::ConsoleLog);
        EXPECT_EQ(log.substr(0, 10), "line 376\r\n");
        EXPECT_EQ(LastLogLine(dialog), "line 501");
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowTest, ActionLinesReachEveryButton) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        window.Session().OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob][PLRF2:1][PLRI2:12]");
        dialog.RunPosted();
        DialogApi& api = dialog.Api();
        EXPECT_TRUE(window.Window().OnActionLine(api, "boot Bob"));
        EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{12});
        EXPECT_TRUE(window.Window().OnActionLine(api, "boot Nobody"));
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "No player named Nobody.");
        EXPECT_TRUE(window.Window().OnActionLine(api, "boot "));
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "Usage: /boot <name> (the player's whole name, as /players lists it).");
        EXPECT_TRUE(window.Window().OnActionLine(api, "nextlevel"));
        EXPECT_EQ(m_Engine.m_Posted.back(), "NEXTLEVEL");
        EXPECT_TRUE(window.Window().OnActionLine(api, "frobnicate")); // the service says so in the log
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "Unknown action \"/frobnicate\"; type /help for the list.");
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        EXPECT_TRUE(window.Window().OnActionLine(api, "shutdown"));
        EXPECT_TRUE(dialog.Ended());
    });
}

TEST_F(ConsoleWindowTest, HelpListsTheActionsAndThenTheKeysTheFaceHandsIt) {
    Run([&](test::HostedConsole& /*window*/, ScriptedDialog& dialog) {
        EXPECT_TRUE(dialog.Api().DeliverHelpAsked({"Keys: one", "Buttons: two"}));
        dialog.RunPosted();
        const std::string log = dialog.Text(Control::ConsoleLog);
        const size_t actions = log.find("Actions: /boot <name>");
        const size_t keys = log.find("Keys: one\r\nButtons: two\r\n");
        ASSERT_NE(actions, std::string::npos) << log;
        ASSERT_NE(keys, std::string::npos) << log;
        EXPECT_LT(actions, keys) << "the actions come first";
        Shutdown(m_Windows, dialog);
    });
}

} // namespace
} // namespace dravo
