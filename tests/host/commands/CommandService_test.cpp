// The command service: every console's line runs one way, answers with its own lines, keeps the settings
// it takes, and knows which console asked.
#include "host/commands/CommandService.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <thread>

namespace dravo {
namespace {

class CommandServiceTest : public ::testing::Test {
protected:
    test::FakeEngine m_Engine;
    test::RecordingView m_View;
    test::FakeClock m_Clock;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{false};
    ServerSettings m_Settings;
    BlockingPool m_Pool;
    ServerSession m_Session{m_View, m_Clock, m_Pool, SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, 0}};
    CommandService m_Commands{m_Session, CommandRecords{m_Settings, m_Options, m_Host}};
    std::vector<std::string> m_Ran; // the window's actions that ran

    void SetUp() override {
        m_Options.m_RunSpeed = 1.0f;
        std::strcpy(m_Options.m_WorldColorNight, "0.5 0.5 0.5");
        m_Engine.m_EchoCommands = true;
        ASSERT_TRUE(m_Session.InitSession(&m_Engine));
    }
    void TearDown() override { m_Session.ResetSession(); }

    // A console window whose queue runs work at once, with its three actions.
    void Bind() {
        ConsoleBinding binding;
        binding.m_Post = [](std::function<void()> work, const std::function<void()>&) {
            work();
            return true;
        };
        for (const char* name : {"clear", "options", "shutdown"}) {
            binding.m_Actions.push_back({name, std::string_view(name) == "shutdown",
                                         [this, name](std::string_view) { m_Ran.push_back(name); }});
        }
        m_Commands.BindConsole(std::move(binding));
    }
    CommandResult Run(std::string_view line, const CommandOrigin& origin = CommandOrigin::Console()) {
        return m_Commands.Run(line, origin);
    }
};

TEST_F(CommandServiceTest, AnEngineCommandAnswersWithItsOwnLinesOnly) {
    const CommandResult result = Run("status");
    EXPECT_EQ(result.m_Outcome, CommandOutcome::Ran);
    EXPECT_EQ(result.m_Lines, (std::vector<std::string>{"status", "ran: status"}));
    EXPECT_EQ(m_Engine.m_Commands.back(), "status");
    EXPECT_EQ(m_Session.Counters().Snapshot().m_ConsoleCommands, 1u);
    EXPECT_TRUE(m_View.Logged("ran: status")) << "the answer is in the log as well";
    // "//text" sends "/text" to the engine.
    EXPECT_EQ(Run("//slash").m_Lines, (std::vector<std::string>{"//slash", "ran: /slash"}));
}

// A line longer than the engine takes is cut, from every console, between two characters: a remote line
// whose last character straddles the limit reaches the engine without its first byte alone.
TEST_F(CommandServiceTest, ALongLineIsCutBetweenTwoCharacters) {
    const std::string head = "zz " + std::string(CommandService::MAX_LINE_CHARS - 4, 'a');
    (void)Run(head + "\xC3\xA9 and more", CommandOrigin::Remote("127.0.0.1:5000"));
    EXPECT_EQ(m_Engine.m_Commands.back(), head);
    (void)Run(head + "b\xC3\xA9");
    EXPECT_EQ(m_Engine.m_Commands.back(), head + "b");
}

TEST_F(CommandServiceTest, LinesOtherThreadsLogMeanwhileAreNotInTheAnswer) {
    ConsoleBinding binding;
    binding.m_Actions.push_back({"busy", true, [this](std::string_view) {
                                     std::thread other([this] { m_Session.LogLine("Cyd joined the game."); });
                                     other.join();
                                     m_Session.LogLine("busy done");
                                 }});
    m_Commands.BindConsole(std::move(binding));
    const CommandResult result = Run("/busy", CommandOrigin::Remote("127.0.0.1:5000"));
    EXPECT_EQ(result.m_Lines, (std::vector<std::string>{"/busy", "busy done"}));
    EXPECT_TRUE(m_View.Logged("Cyd joined the game."));
}

TEST_F(CommandServiceTest, AnAnswerPastItsLimitSaysHowMuchWasLeftOut) {
    const CommandResult result = m_Commands.Run("status", CommandOrigin::Console(), 10);
    EXPECT_EQ(result.m_Lines, std::vector<std::string>{"status"});
    EXPECT_EQ(result.m_LeftOut, std::string("ran: status\n").size());
}

TEST_F(CommandServiceTest, TheWindowsOwnActionsAreForTheWindowAndShutdownForEveryone) {
    EXPECT_EQ(Run("/clear").m_Outcome, CommandOutcome::UnknownAction) << "no window bound";
    Bind();
    EXPECT_EQ(Run("/clear").m_Outcome, CommandOutcome::Ran);
    EXPECT_EQ(Run("/options", CommandOrigin::Remote("127.0.0.1:5000")).m_Outcome, CommandOutcome::UnknownAction);
    EXPECT_EQ(Run("/clear", CommandOrigin::Fleet()).m_Outcome, CommandOutcome::UnknownAction);
    EXPECT_FALSE(m_Session.ExitWithoutAsking());
    EXPECT_EQ(Run("/shutdown", CommandOrigin::Remote("127.0.0.1:5000")).m_Outcome, CommandOutcome::Ran);
    EXPECT_TRUE(m_Session.ExitWithoutAsking()) << "whoever asked from afar answered the question already";
    EXPECT_EQ(m_Ran, (std::vector<std::string>{"clear", "shutdown"}));
    EXPECT_EQ(Run("/frobnicate").m_Lines.back(), "Unknown action \"/frobnicate\"; type /help for the list.");
    EXPECT_EQ(Run("/clear now").m_Lines.back(), "Usage: /clear - it takes no arguments");
    EXPECT_EQ(Run("/clear now", CommandOrigin::Fleet()).m_Outcome, CommandOutcome::UnknownAction)
        << "an action this origin may not use is unknown to it, arguments or not";
    EXPECT_EQ(m_Commands.ActionNames(CommandOrigin::Remote("a")),
              (std::vector<std::string>{"/boot", "/nextlevel", "/shutdown", "/players", "/status", "/help"}));
    EXPECT_EQ(m_Commands.ActionNames(CommandOrigin::Console()).size(), 8u);
}

TEST_F(CommandServiceTest, PlayersStatusAndBootReadTheRoster) {
    m_Session.OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob Two][PLRF2:1][PLRI2:12]");
    EXPECT_EQ(Run("/players").m_Lines,
              (std::vector<std::string>{"/players", "Players: 2", "(0)\tAce\t3\tid 11", "(0)\tBob Two\t1\tid 12"}));
    const std::vector<std::string> status = Run("/status").m_Lines;
    ASSERT_EQ(status.size(), 9u);
    EXPECT_EQ(status[4], "Players: 2");
    Run("/boot Bob Two");
    EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{12});
    EXPECT_EQ(Run("/boot bob two").m_Lines.back(), "No player named bob two.") << "a name matches exactly";
    EXPECT_EQ(Run("/boot ").m_Lines.back(), "Usage: /boot <name> (the player's whole name, as /players lists it).");
    EXPECT_EQ(m_Engine.m_Disconnected.size(), 1u);
}

// Blanks and tabs typed after an action are a habit: the action runs, or says how it is used.
TEST_F(CommandServiceTest, BlanksAfterAnActionAreNotPartOfIt) {
    Bind();
    const std::string bootUsage = "Usage: /boot <name> (the player's whole name, as /players lists it).";
    EXPECT_EQ(Run("/boot  \t").m_Lines.back(), bootUsage);
    EXPECT_EQ(Run("/boot\t").m_Lines.back(), bootUsage);
    EXPECT_EQ(Run("/status \t ").m_Lines.size(), 9u);
    EXPECT_EQ(Run("/Status").m_Lines.size(), 9u) << "an action's name is read in any case";
    EXPECT_EQ(Run("/status now").m_Lines.back(), "Usage: /status - it takes no arguments");
    EXPECT_EQ(Run("/clear  ").m_Outcome, CommandOutcome::Ran);
    EXPECT_EQ(Run("/options\t").m_Outcome, CommandOutcome::Ran);
    EXPECT_EQ(m_Ran, (std::vector<std::string>{"clear", "options"}));
    for (const char* line : {"/boot ", "/status  ", "/clear  ", "/nextlevel \t", "/players  ", "/help "}) {
        const std::vector<std::string> lines = Run(line).m_Lines;
        EXPECT_EQ(std::ranges::count_if(lines, [](const std::string& text) { return text.starts_with("Unknown"); }), 0)
            << line;
    }
}

TEST_F(CommandServiceTest, AStoppedConsoleAnswersThatNothingRan) {
    CommandOutcome heard = CommandOutcome::Ran;
    EXPECT_FALSE(m_Commands.Submit("status", CommandOrigin::Fleet(), 100,
                                   [&heard](CommandResult result) { heard = result.m_Outcome; }));
    EXPECT_EQ(heard, CommandOutcome::ConsoleGone);
    // A window that closed after the line was queued: its queue runs `gone` instead.
    ConsoleBinding closing;
    closing.m_Post = [](std::function<void()>, const std::function<void()>& gone) {
        gone();
        return false;
    };
    m_Commands.BindConsole(std::move(closing));
    heard = CommandOutcome::Ran;
    (void)m_Commands.Submit("status", CommandOrigin::Fleet(), 100, [&heard](CommandResult r) { heard = r.m_Outcome; });
    EXPECT_EQ(heard, CommandOutcome::ConsoleGone);
    Bind();
    std::vector<std::string> lines;
    EXPECT_TRUE(m_Commands.Submit("status", CommandOrigin::Fleet(), 100,
                                  [&lines](CommandResult result) { lines = result.m_Lines; }));
    EXPECT_EQ(lines, (std::vector<std::string>{"status", "ran: status"}));
    m_Commands.UnbindConsole();
    EXPECT_FALSE(m_Commands.Submit("status", CommandOrigin::Fleet(), 100, nullptr));
}

TEST_F(CommandServiceTest, ASettingIsCheckedByThePagesRulesAndRefusedWithTheirReason) {
    const size_t sent = m_Engine.m_Commands.size();
    const CommandResult refused = Run("MaxPlayers 0");
    EXPECT_EQ(refused.m_Outcome, CommandOutcome::Refused);
    EXPECT_EQ(refused.m_Lines.back(), "The player limit must be a number from 1 to 128. Nothing was changed.");
    EXPECT_EQ(Run("WorldColorNight \"9 9 9\"").m_Outcome, CommandOutcome::Refused);
    EXPECT_EQ(Run("Port 70000").m_Outcome, CommandOutcome::Refused);
    EXPECT_EQ(Run("TractorBeam 2").m_Lines.back(), "TractorBeam must be 0 (off) or 1 (on). Nothing was changed.");
    EXPECT_EQ(Run("RunSpeed fast").m_Lines.back(),
              "The run speed must be a number, for example 1.5. Nothing was changed.");
    EXPECT_EQ(Run("+ServerName \"\"").m_Outcome, CommandOutcome::Refused);
    EXPECT_EQ(m_Engine.m_Commands.size(), sent) << "nothing refused reaches the engine";
    EXPECT_EQ(m_Settings.m_MaxPlayers, 16);
    EXPECT_STREQ(m_Options.m_WorldColorNight, "0.5 0.5 0.5");
}

TEST_F(CommandServiceTest, AGameOptionIsKeptAndAppliedAsTheDialogDoes) {
    const CommandResult result = Run("RunSpeed 1.5");
    EXPECT_EQ(result.m_Outcome, CommandOutcome::Ran);
    EXPECT_EQ(m_Options.m_RunSpeed, 1.5f);
    EXPECT_TRUE(result.m_Lines.back().starts_with("Game options applied: ")) << result.m_Lines.back();
    EXPECT_NE(std::ranges::find(m_Engine.m_Commands, "RunSpeed 1.500000"), m_Engine.m_Commands.end());
    EXPECT_EQ(m_Engine.m_Variables["RunSpeed"], "1.500000") << "stored under the dialog's key";
    Run("set MissileSpeed 1e308");
    EXPECT_EQ(m_Options.m_MissileSpeed, std::numeric_limits<float>::max()) << "held at the largest, as the dialog";
    Run("\"+WorldTimeSpeed\" \"0\"");
    EXPECT_EQ(m_Options.m_WorldTimeSpeed, 0.0f) << "0 keeps the time speed the game has";
    Run("TimeSpeed 2");
    EXPECT_EQ(m_Options.m_WorldTimeSpeed, 2.0f) << "the dialog's key names it too";
}

TEST_F(CommandServiceTest, AServerSettingIsKeptForTheSaveAndTheServerNameShowsAtOnce) {
    EXPECT_EQ(Run("MaxPlayers 8").m_Lines.back(),
              "MaxPlayers is now \"8\"; it takes effect when the server next starts.");
    EXPECT_EQ(m_Settings.m_MaxPlayers, 8);
    EXPECT_EQ(m_Engine.m_Variables["MaxPlayers"], "8");
    EXPECT_EQ(m_Host.m_MaxPlayers, 0) << "the running game keeps its limit";
    const std::string longName(130, 'n');
    EXPECT_EQ(Run("ServerName " + longName.substr(0, 100)).m_Outcome, CommandOutcome::Ran);
    EXPECT_EQ(std::string(m_Host.m_ServerName), longName.substr(0, 100));
    EXPECT_EQ(std::string(m_Settings.m_ServerName), longName.substr(0, 100));
    EXPECT_EQ(m_Session.Status().m_ServerName, longName.substr(0, 100));
    EXPECT_EQ(m_View.ServerName(), longName.substr(0, 100)) << "the window shows it";
}

TEST_F(CommandServiceTest, TheEnginesOwnVariablesAndPlainQuestionsGoToTheEngine) {
    EXPECT_EQ(Run("MaxPlayers").m_Lines, (std::vector<std::string>{"MaxPlayers", "ran: MaxPlayers"}));
    EXPECT_EQ(Run("net_bindaddress 0.0.0.0").m_Lines.back(), "ran: net_bindaddress 0.0.0.0");
    EXPECT_EQ(Run("DashGoInfo 0").m_Lines.back(), "ran: DashGoInfo 0") << "the program keeps that one itself";
    EXPECT_EQ(m_Settings.m_MaxPlayers, 16);
}

TEST_F(CommandServiceTest, AnEngineVariableSetSilentlyIsConfirmedWithTheValueItHolds) {
    m_Engine.m_EchoCommands = false;
    EXPECT_EQ(Run("\"+FragNote\" \"first to ten\"").m_Lines,
              (std::vector<std::string>{"\"+FragNote\" \"first to ten\"", "FragNote is now \"first to ten\"."}));
    const std::vector<std::string> secret = Run("\"+RconPassword\" \"long enough secret\"").m_Lines;
    ASSERT_EQ(secret.size(), 2u);
    EXPECT_EQ(secret.back(), "RconPassword is now set; its value is not shown.");
    EXPECT_EQ(Run("Unset 1").m_Lines.size(), 1u) << "a variable the engine does not hold is not confirmed";
    m_Engine.m_EchoCommands = true;
    EXPECT_EQ(Run("\"+FragNote\" \"other\"").m_Lines.back(), "ran: \"+FragNote\" \"other\"")
        << "an engine that answers speaks for itself";
}

} // namespace
} // namespace dravo
