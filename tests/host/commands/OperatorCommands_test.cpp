// The operator's commands through the command service: players by id or name, bans that boot and
// persist, say and levels through the game code, the warned stop, and who asked, in the log.
#include "host/commands/CommandService.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/RecordingView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace dravo {
namespace {

class OperatorCommandsTest : public ::testing::Test {
protected:
    test::FakeEngine m_Engine;
    test::RecordingView m_View;
    test::FakeClock m_Clock;
    test::TempDir m_Dir;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{false};
    ServerSettings m_Settings;
    BlockingPool m_Pool;
    ServerSession m_Session{m_View, m_Clock, m_Pool, SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, 0}};
    CommandService m_Commands{m_Session, CommandRecords{m_Settings, m_Options, m_Host}};
    int m_Shutdowns = 0;

    void SetUp() override {
        ASSERT_TRUE(m_Session.InitSession(&m_Engine));
        m_Session.Bans().SetFiles({m_Dir.Path() / "banned.txt", m_Dir.Path() / "details.txt"});
        m_Session.LoadBans();
        m_Session.Facts().SetPlayers({{3, "Ace", 5, 40, 0}, {7, "Bob", 2, 60, 0}, {9, "Bob", 0, 80, 0}}, 0);
        HostedGame game;
        game.m_Rotation = {"Frostline", "Foundry", "Basin"};
        m_Session.Facts().HostingStarted(game);
        m_Session.Facts().LevelChanged("Foundry");
        ConsoleBinding binding;
        binding.m_Post = [](std::function<void()> work, const std::function<void()>&) {
            work();
            return true;
        };
        binding.m_Actions.push_back({"shutdown", true, [this](std::string_view) { ++m_Shutdowns; }});
        m_Commands.BindConsole(std::move(binding));
    }
    void TearDown() override {
        m_Commands.UnbindConsole();
        m_Session.ResetSession();
    }
    std::vector<std::string> Run(std::string_view line, const CommandOrigin& origin = CommandOrigin::Console()) {
        return m_Commands.Run(line, origin).m_Lines;
    }
    static bool Holds(const std::vector<std::string>& lines, std::string_view part) {
        return std::ranges::any_of(lines, [part](const std::string& line) { return line.find(part) != line.npos; });
    }
};

TEST_F(OperatorCommandsTest, KickTakesAnIdOrAUniqueName) {
    EXPECT_TRUE(Holds(Run("kick Ace being rude"), "Kicked Ace (id 3) by console: being rude"));
    EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{3});
    EXPECT_TRUE(Holds(Run("kick Bob"), "2 players are named Bob (ids 7, 9); nobody was kicked"));
    EXPECT_TRUE(Holds(Run("kick Cid"), "No player is named Cid"));
    EXPECT_EQ(m_Engine.m_Disconnected.size(), 1u);
    Run("kick 9");
    EXPECT_EQ(m_Engine.m_Disconnected.back(), 9u);
    EXPECT_TRUE(Holds(Run("kick"), "Usage: kick <id|name> [reason]"));
}

TEST_F(OperatorCommandsTest, ABanBootsNowKeepsOutAndIsListedWithItsOrigin) {
    const CommandOrigin remote = CommandOrigin::Remote("127.0.0.1:5000");
    const std::vector<std::string> lines = Run("ban 3 1m \"aim bot\"", remote);
    EXPECT_EQ(lines.front(), "ban 3 1m \"aim bot\"") << "the answer begins with the line as sent";
    EXPECT_TRUE(m_View.Logged("[remote 127.0.0.1:5000] ban 3 1m \"aim bot\"")) << "the log says who";
    EXPECT_TRUE(Holds(lines, "Banned Ace for 1m by remote 127.0.0.1:5000: aim bot"));
    EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{3});
    EXPECT_TRUE(m_Session.Bans().Bans().front().m_Until > 0);
    const std::vector<std::string> list = Run("banlist");
    EXPECT_TRUE(Holds(list, "Bans: 1"));
    // The clock's second may turn between the ban and the list.
    EXPECT_TRUE(Holds(list, "Ace\t1m left\tby remote 127.0.0.1:5000\tsince ") ||
                Holds(list, "Ace\t59s left\tby remote 127.0.0.1:5000\tsince "));
    EXPECT_TRUE(Holds(list, "\taim bot"));
    EXPECT_TRUE(m_Dir.Read("details.txt").find("Ace\t") != std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_Dir.Path() / "banned.txt")) << "a timed ban stays out of banned.txt";
}

TEST_F(OperatorCommandsTest, ABanForGoodGoesToBannedTxtAndUnbanTakesItOut) {
    m_Dir.Write("banned.txt", "Old\n");
    Run("ban Zed");
    EXPECT_EQ(m_Dir.Read("banned.txt"), "Old\nZed\n");
    EXPECT_TRUE(Holds(Run("ban \"Two Words\""), "cannot be banned"));
    EXPECT_TRUE(Holds(Run("ban Bob 30 spam"), "Usage: ban <id|name> [duration"));
    EXPECT_TRUE(Holds(Run("unban Zed", CommandOrigin::Fleet()), "Unbanned Zed by fleet."));
    EXPECT_EQ(m_Dir.Read("banned.txt"), "Old\n");
    EXPECT_TRUE(Holds(Run("unban Zed"), "Zed was not unbanned: nobody named Zed is banned."));
    m_Dir.Write("banned.txt", "Old\nNew\n");
    EXPECT_TRUE(Holds(Run("banreload"), "Bans: 2, read again"));
}

TEST_F(OperatorCommandsTest, SayAndLevelGoThroughTheGameCode) {
    EXPECT_TRUE(Holds(Run("say \"Be nice\""), "Said to every player by console: Be nice"));
    EXPECT_EQ(m_Engine.m_Posted.back(), "SAY Be nice");
    EXPECT_TRUE(Holds(Run("say"), "Usage: say <text>"));
    Run("level frost");
    EXPECT_EQ(m_Engine.m_Posted.back(), "LEVEL Frostline");
    EXPECT_TRUE(Holds(Run("level F"), "could be any of Frostline, Foundry"));
    EXPECT_TRUE(Holds(Run("level Dune"), "No level of the rotation is named Dune"));
    const std::vector<std::string> levels = Run("levels");
    EXPECT_TRUE(Holds(levels, "Levels: 3"));
    EXPECT_TRUE(Holds(levels, "* Foundry (current)"));
    Run("nextlevel");
    EXPECT_EQ(m_Engine.m_Posted.back(), "NEXTLEVEL");
}

TEST_F(OperatorCommandsTest, AWarnedStopTellsThePlayersAndCancelStopsIt) {
    const std::vector<std::string> lines = Run("shutdown 30 maintenance");
    EXPECT_TRUE(Holds(lines, "Told the players: The server shuts down in 30 seconds: maintenance."));
    EXPECT_EQ(m_Engine.m_Posted.back(), "SAY The server shuts down in 30 seconds: maintenance.");
    EXPECT_EQ(m_Shutdowns, 0);
    EXPECT_TRUE(Holds(Run("cancel"), "The shutdown was cancelled by console."));
    EXPECT_EQ(m_Engine.m_Posted.back(), "SAY The shutdown was cancelled.");
    EXPECT_TRUE(Holds(Run("cancel"), "No shutdown is counting down."));
    EXPECT_TRUE(Holds(Run("shutdown soon"), "Usage: shutdown <seconds> [reason]"));
    EXPECT_TRUE(Holds(Run("shutdown 0"), "Usage: shutdown"));
    EXPECT_EQ(m_Shutdowns, 0);
}

TEST_F(OperatorCommandsTest, AnEmptyServerStopsAtOnce) {
    m_Session.Facts().SetPlayers({}, 0);
    EXPECT_TRUE(Holds(Run("/shutdown 60"), "Shutting down now: nobody is playing."));
    EXPECT_EQ(m_Shutdowns, 1);
    EXPECT_TRUE(m_Session.ExitWithoutAsking());
}

TEST_F(OperatorCommandsTest, AStopSignalCountsDownOnlyWhenTold) {
    ASSERT_TRUE(m_Commands.StopBySignal(20));
    EXPECT_TRUE(m_View.Logged("A stop signal came: shutting down in 20 seconds."));
    EXPECT_EQ(m_Shutdowns, 0);
    // A supervisor waits only so long: the signal's countdown is neither cancelled nor put off.
    EXPECT_TRUE(Holds(Run("cancel"), "A stop signal asked for this shutdown: it cannot be cancelled."));
    EXPECT_TRUE(Holds(Run("shutdown 600"), "A stop signal is shutting the server down already"));
    EXPECT_EQ(m_Engine.m_Posted.back(), "SAY The server shuts down in 20 seconds: the server is being stopped.");
    ASSERT_TRUE(m_Commands.StopBySignal(20));
    EXPECT_EQ(m_Shutdowns, 1) << "a second signal stops at once";
}

TEST_F(OperatorCommandsTest, AStopSignalOnAnEmptyServerOrWithNoCountdownStopsAtOnce) {
    ASSERT_TRUE(m_Commands.StopBySignal(0));
    EXPECT_EQ(m_Shutdowns, 1);
    m_Session.Facts().SetPlayers({}, 0);
    ASSERT_TRUE(m_Commands.StopBySignal(10));
    EXPECT_EQ(m_Shutdowns, 2);
    EXPECT_TRUE(m_View.Logged("Shutting down now: nobody is playing."));
}

TEST_F(OperatorCommandsTest, HelpListsTheCommandsAndBadArgumentsAreNamed) {
    EXPECT_TRUE(Holds(Run("help"), "Commands: players, kick <id|name> [reason], ban <id|name>"));
    EXPECT_TRUE(Holds(Run("banlist everything"), "Usage: banlist - it takes no arguments"));
    EXPECT_TRUE(Holds(Run("players"), "Players: 3"));
    const std::vector<std::string> names = CommandService::OperatorCommandNames();
    EXPECT_NE(std::ranges::find(names, "banreload"), names.end());
}

} // namespace
} // namespace dravo
