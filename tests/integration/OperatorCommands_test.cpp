// The operator's commands end to end: the real dravoserv hosting dravo-bot players, driven through the
// npm client rcon-srcds.
#include "integration/HostedGameTest.h"
#include "integration/RemotePeers.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

constexpr const char* PASSWORD = "Tr0ub4dor&3x";

class OperatorCommandsEndToEnd : public test::HostedGameTest {
protected:
    void SetUp() override {
        if (!test::NodeModules()) {
            GTEST_FAIL() << "rcon-srcds is missing: scripts/setup.sh installs it";
        }
    }
    std::unique_ptr<test::LiveProcess> StartConsole() {
        auto server = StartServer({"+fragrate", "0", "+UseGameSpy", "0", "+ServerReg", "0", "+RconPassword", PASSWORD});
        EXPECT_TRUE(server->WaitForOutput("Remote console listening on TCP")) << server->Output();
        return server;
    }
    // The answers of the commands, as the client's JSON array.
    std::string Run(const std::vector<std::string>& commands) {
        std::vector<std::string> mode = {"run"};
        mode.insert(mode.end(), commands.begin(), commands.end());
        const test::ProcessResult result = test::RconPeer("srcds", GamePort(), PASSWORD, mode);
        EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stderr;
        return result.m_Stdout;
    }
};

TEST_F(OperatorCommandsEndToEnd, ABanBootsKeepsOutIsListedAndSurvivesARestartWithTheHandEdit) {
    m_Game.Write("banned.txt", "Old\n");
    auto server = StartConsole();
    auto bots = StartBots("Ace,Bob", 60);
    ASSERT_TRUE(server->WaitForOutput("Bob joined the game.")) << server->Output();

    const std::string banned = Run({"ban Bob 1m \"aim bot\"", "ban Ace"});
    EXPECT_NE(banned.find("Banned Bob for 1m by remote 127.0.0.1:"), std::string::npos) << banned;
    EXPECT_TRUE(bots->WaitForOutput("Bob was kicked")) << bots->Output();
    EXPECT_TRUE(bots->WaitForOutput("Ace was kicked")) << bots->Output();
    // The operator writes into banned.txt while the server runs.
    m_Game.Write("banned.txt", m_Game.Read("banned.txt") + "Hand\n");

    auto again = StartBots("Bob", 30);
    EXPECT_TRUE(server->WaitForOutput("Added Bob to kick queue...")) << server->Output();
    EXPECT_TRUE(again->WaitForOutput("Bob was kicked")) << again->Output();

    // A list of many bans arrives whole, over several packets.
    std::vector<std::string> many;
    for (int i = 0; i < 60; ++i) {
        many.push_back("ban Pad" + std::to_string(100 + i) + " 2h padding the list past one remote packet");
    }
    (void)Run(many);
    const std::string list = Run({"banlist"});
    EXPECT_NE(list.find("Bans: 63"), std::string::npos) << list;
    // "1m left" in the ban's first second, "59s left" after it.
    const size_t bobAt = list.find("Bob\\t");
    ASSERT_NE(bobAt, std::string::npos) << list;
    const std::string bobLine = list.substr(bobAt, list.find("\\n", bobAt) - bobAt);
    EXPECT_NE(bobLine.find(" left\\tby remote 127.0.0.1:"), std::string::npos) << bobLine;
    EXPECT_NE(list.find("\\taim bot"), std::string::npos) << list;
    EXPECT_NE(list.find("Pad159\\t"), std::string::npos) << list;

    EXPECT_NE(Run({"unban Bob"}).find("Unbanned Bob by remote"), std::string::npos);
    Run({"/shutdown"});
    EXPECT_EQ(server->Wait(), 0) << server->Output();
    EXPECT_EQ(m_Game.Read("banned.txt"), "Old\nAce\nHand\n");

    auto restarted = StartConsole();
    const std::string after = Run({"banlist"});
    EXPECT_NE(after.find("Ace\\tfor good"), std::string::npos) << after;
    EXPECT_NE(after.find("Hand\\tfor good\\tby banned.txt"), std::string::npos) << after;
    EXPECT_EQ(after.find("Bob\\t"), std::string::npos) << after;
    auto bob = StartBots("Bob", 30);
    EXPECT_TRUE(restarted->WaitForOutput("Bob joined the game.")) << restarted->Output();
    Run({"/shutdown"});
    EXPECT_EQ(restarted->Wait(), 0) << restarted->Output();
}

TEST_F(OperatorCommandsEndToEnd, ATimedBanEnds) {
    auto server = StartConsole();
    EXPECT_NE(Run({"ban Cid 2s"}).find("Banned Cid for 2s"), std::string::npos);
    // Cid keeps asking to join while kicked: the bot comes back after the ban has ended.
    auto bots = StartBots("Cid", 60, {"--churn", "1"});
    EXPECT_TRUE(server->WaitForOutput("Added Cid to kick queue...")) << server->Output();
    EXPECT_TRUE(bots->WaitForOutput("Cid was kicked")) << bots->Output();
    // Once the ban has ended Cid stays until leaving of its own accord.
    EXPECT_TRUE(bots->WaitForOutput("Cid left", std::chrono::seconds(20))) << bots->Output();
    EXPECT_EQ(Run({"banlist"}).find("Cid"), std::string::npos) << "an ended ban is dropped";
    Run({"/shutdown"});
    EXPECT_EQ(server->Wait(), 0) << server->Output();
}

TEST_F(OperatorCommandsEndToEnd, SayReachesEveryBotAndLevelChangesTheLevel) {
    auto server = StartConsole();
    auto bots = StartBots("Ace,Bob", 60);
    ASSERT_TRUE(server->WaitForOutput("Bob joined the game.")) << server->Output();
    const std::string said = Run({"say Be nice", "level frost", "levels"});
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: Be nice")) << bots->Output();
    EXPECT_TRUE(bots->WaitForOutput("Bob heard: Be nice")) << bots->Output();
    EXPECT_NE(said.find("Changing to level Worlds\\\\Multi\\\\Frostline"), std::string::npos) << said;
    EXPECT_TRUE(server->WaitForOutput("Level changed to Worlds\\Multi\\Frostline")) << server->Output();
    const std::string status = Run({"/status"});
    EXPECT_NE(status.find("Current Level: Worlds\\\\Multi\\\\Frostline"), std::string::npos) << status;
    Run({"/shutdown"});
    EXPECT_EQ(server->Wait(), 0) << server->Output();
}

TEST_F(OperatorCommandsEndToEnd, AWarnedShutdownTellsTheMarksAndCancelStopsOne) {
    auto server = StartConsole();
    auto bots = StartBots("Ace", 60);
    ASSERT_TRUE(server->WaitForOutput("Ace joined the game.")) << server->Output();
    Run({"shutdown 300 never mind"});
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: The server shuts down in 300 seconds: never mind.")) << bots->Output();
    EXPECT_NE(Run({"cancel"}).find("The shutdown was cancelled by remote"), std::string::npos);
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: The shutdown was cancelled.")) << bots->Output();

    Run({"shutdown 6 maintenance"});
    EXPECT_TRUE(server->WaitForOutput("Told the players: The server shuts down in 6 seconds: maintenance."));
    EXPECT_TRUE(server->WaitForOutput("Told the players: The server shuts down in 5 seconds: maintenance."));
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: The server shuts down in 5 seconds: maintenance.")) << bots->Output();
    EXPECT_TRUE(server->WaitForOutput("Shutting down now: the countdown ended.")) << server->Output();
    EXPECT_EQ(server->Wait(), 0) << server->Output() << server->Errors();
}

} // namespace
} // namespace dravo
