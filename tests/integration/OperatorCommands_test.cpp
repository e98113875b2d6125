// The operator's commands end to end: the real dravoserv hosting dravo-bot players, driven through two
// real remote console clients, Debian's rconclt and the npm package rcon-srcds, and by stop signals.
#include "integration/PresenceFixture.h"
#include "integration/RemotePeers.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>

namespace dravo {
namespace {

using namespace std::chrono_literals;

constexpr const char* PASSWORD = "Tr0ub4dor&3x";
constexpr const char* RCONCLT = "rconclt";
constexpr const char* SRCDS = "srcds";

class OperatorCommandsEndToEnd : public test::PresenceTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        test::PresenceTest::SetUp();
        if (Client() == RCONCLT && !std::filesystem::exists(test::RCONCLT_PROGRAM)) {
            GTEST_FAIL() << "rconclt is missing: scripts/setup.sh installs Debian's rcon package";
        }
        if (Client() == SRCDS && !test::NodeModules()) {
            GTEST_FAIL() << "rcon-srcds is missing: scripts/setup.sh installs it";
        }
    }
    std::string_view Client() const { return GetParam(); }
    std::unique_ptr<test::LiveProcess> StartConsole(const std::vector<std::string>& more = {}) {
        std::vector<std::string> arguments = {"+RconPassword", PASSWORD};
        arguments.insert(arguments.end(), more.begin(), more.end());
        auto server = StartServer(arguments);
        EXPECT_TRUE(server->WaitForOutput("Remote console listening on TCP")) << server->Output();
        return server;
    }
    // The answers of the commands, one each: rcon-srcds runs them all in one session, rconclt one a run.
    std::vector<std::string> Answers(const std::vector<std::string>& commands) {
        std::vector<std::string> answers;
        if (Client() == RCONCLT) {
            for (const std::string& command : commands) {
                const test::ProcessResult result = test::RconClt(GamePort(), PASSWORD, command);
                EXPECT_EQ(result.m_ExitStatus, 0) << command << ": " << result.m_Stderr;
                answers.push_back(result.m_Stdout);
            }
            return answers;
        }
        std::vector<std::string> mode = {"run"};
        mode.insert(mode.end(), commands.begin(), commands.end());
        const test::ProcessResult result = test::RconPeer("srcds", GamePort(), PASSWORD, mode);
        EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stderr;
        const nlohmann::json parsed = nlohmann::json::parse(result.m_Stdout, nullptr, false);
        EXPECT_TRUE(parsed.is_array()) << result.m_Stdout;
        for (const nlohmann::json& answer : parsed.is_array() ? parsed : nlohmann::json::array()) {
            answers.push_back(answer.is_string() ? answer.get<std::string>() : answer.dump());
        }
        return answers;
    }
    std::string Run(const std::vector<std::string>& commands) {
        std::string all;
        for (const std::string& answer : Answers(commands)) {
            all += answer;
        }
        return all;
    }
    void ShutDown(test::LiveProcess& server) {
        Run({"/shutdown"});
        EXPECT_EQ(server.Wait(), 0) << server.Output() << server.Errors();
    }
    bool Saved() const { return m_Game.Read("dravosrv.cfg").find("DashGoInfo \"1\"") != std::string::npos; }
};

INSTANTIATE_TEST_SUITE_P(Clients, OperatorCommandsEndToEnd, ::testing::Values(RCONCLT, SRCDS),
                         [](const ::testing::TestParamInfo<const char*>& client) { return std::string(client.param); });

// The line of banlist that names the player, or empty.
std::string BanLine(const std::string& list, const std::string& name) {
    const size_t at = list.find("\n" + name + "\t");
    return at == std::string::npos ? std::string() : list.substr(at + 1, list.find('\n', at + 1) - at - 1);
}

TEST_P(OperatorCommandsEndToEnd, ABanBootsKeepsOutIsListedAndSurvivesARestartWithTheHandEdit) {
    // Enough hand-made bans that the list takes more than one remote packet.
    std::string handMade = "Old\n";
    for (int i = 100; i < 300; ++i) {
        handMade += "Padded" + std::to_string(i) + "\n";
    }
    m_Game.Write("banned.txt", handMade);
    auto server = StartConsole();
    auto bots = HostedGameTest::StartBots("Ace,Bob", 60);
    ASSERT_TRUE(server->WaitForOutput("Bob joined the game.")) << server->Output();

    const std::string banned = Run({"ban Bob 1m \"aim bot\"", "ban Ace"});
    EXPECT_NE(banned.find("Banned Bob for 1m by remote 127.0.0.1:"), std::string::npos) << banned;
    EXPECT_TRUE(bots->WaitForOutput("Bob was kicked")) << bots->Output();
    EXPECT_TRUE(bots->WaitForOutput("Ace was kicked")) << bots->Output();
    // The operator writes into banned.txt while the server runs.
    m_Game.Write("banned.txt", m_Game.Read("banned.txt") + "Hand\n");

    auto again = HostedGameTest::StartBots("Bob", 30);
    EXPECT_TRUE(server->WaitForOutput("Added Bob to kick queue...")) << server->Output();
    EXPECT_TRUE(again->WaitForOutput("Bob was kicked")) << again->Output();

    const std::string list = Run({"banlist"});
    EXPECT_GT(list.size(), 4096u) << "more than one packet";
    EXPECT_NE(list.find("Bans: 203"), std::string::npos) << list;
    EXPECT_EQ(list.find('\0'), std::string::npos) << "whole packets, no header bytes between them";
    for (int i = 100; i < 300; ++i) {
        const std::string name = "Padded" + std::to_string(i);
        ASSERT_EQ(BanLine(list, name).rfind(name + "\tfor good\tby banned.txt\tsince ", 0), 0u) << list;
    }
    const std::string bobLine = BanLine(list, "Bob");
    EXPECT_NE(bobLine.find(" left\tby remote 127.0.0.1:"), std::string::npos) << list;
    EXPECT_TRUE(bobLine.ends_with("\taim bot")) << bobLine;

    EXPECT_NE(Run({"unban Bob"}).find("Unbanned Bob by remote"), std::string::npos);
    const size_t mark = server->LineCount();
    auto back = HostedGameTest::StartBots("Bob", 30);
    EXPECT_TRUE(server->WaitForLine("Bob joined the game.", test::LiveProcess::DEFAULT_LIMIT, mark))
        << server->Output();
    ShutDown(*server);
    EXPECT_EQ(m_Game.Read("banned.txt"), handMade + "Ace\nHand\n");

    auto restarted = StartConsole();
    const std::string after = Run({"banlist"});
    EXPECT_EQ(BanLine(after, "Ace").rfind("Ace\tfor good\tby remote 127.0.0.1:", 0), 0u) << after;
    EXPECT_EQ(BanLine(after, "Hand").rfind("Hand\tfor good\tby banned.txt\t", 0), 0u) << after;
    EXPECT_EQ(BanLine(after, "Bob"), "") << after;
    ShutDown(*restarted);
}

TEST_P(OperatorCommandsEndToEnd, ATimedBanEnds) {
    auto server = StartConsole();
    EXPECT_NE(Run({"ban Cid 2s \"spawn camping\""}).find("Banned Cid for 2s"), std::string::npos);
    // Cid keeps asking to join while kicked: the bot comes back after the ban has ended.
    auto bots = HostedGameTest::StartBots("Cid", 60, {"--churn", "1"});
    EXPECT_TRUE(server->WaitForOutput("Added Cid to kick queue...")) << server->Output();
    EXPECT_TRUE(bots->WaitForOutput("Cid was kicked")) << bots->Output();
    // Once the ban has ended Cid stays until leaving of its own accord.
    EXPECT_TRUE(bots->WaitForOutput("Cid left", 20s)) << bots->Output();
    EXPECT_EQ(Run({"banlist"}).find("Cid"), std::string::npos) << "an ended ban is dropped";
    ShutDown(*server);
}

TEST_P(OperatorCommandsEndToEnd, SayReachesEveryBotAndLevelChangesTheLevelForQueriesAndMetrics) {
    const uint16_t metricsPort = test::FreeTcpPort();
    auto server = StartConsole({"+MetricsPort", std::to_string(metricsPort)});
    auto bots = HostedGameTest::StartBots("Ace,Bob", 60);
    ASSERT_TRUE(server->WaitForOutput("Bob joined the game.")) << server->Output();
    const std::string said = Run({"say Be nice", "level Frostline", "levels"});
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: Be nice")) << bots->Output();
    EXPECT_TRUE(bots->WaitForOutput("Bob heard: Be nice")) << bots->Output();
    EXPECT_NE(said.find("Changing to level Worlds\\Multi\\Frostline"), std::string::npos) << said;
    EXPECT_TRUE(server->WaitForOutput("Level changed to Worlds\\Multi\\Frostline")) << server->Output();
    EXPECT_NE(Run({"/status"}).find("Current Level: Worlds\\Multi\\Frostline"), std::string::npos);
    // What the GameSpy lists and the metrics scraper see.
    const std::string gps = Quakestat(QueryPort());
    EXPECT_NE(gps.find("\tLoopback Arena\tFrostline\t"), std::string::npos) << gps;
    const std::string metrics = test::HttpGet("http://127.0.0.1:" + std::to_string(metricsPort) + "/metrics");
    EXPECT_NE(metrics.find("dravo_level_info{level=\"Worlds\\\\Multi\\\\Frostline\"} 1"), std::string::npos) << metrics;
    ShutDown(*server);
}

TEST_P(OperatorCommandsEndToEnd, AWarnedShutdownTellsTheMarksSavesAndCancelStopsOne) {
    Configure({{"DashGoInfo", "0"}}); // the save sets it to 1
    auto server = StartConsole();
    auto bots = HostedGameTest::StartBots("Ace", 60);
    ASSERT_TRUE(server->WaitForOutput("Ace joined the game.")) << server->Output();
    Run({"shutdown 300 never mind"});
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: The server shuts down in 300 seconds: never mind.")) << bots->Output();
    EXPECT_NE(Run({"cancel"}).find("The shutdown was cancelled by remote"), std::string::npos);
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: The shutdown was cancelled.")) << bots->Output();

    Run({"shutdown 10 maintenance"});
    for (const char* seconds : {"10", "5"}) {
        const std::string warning = std::string("The server shuts down in ") + seconds + " seconds: maintenance.";
        EXPECT_TRUE(server->WaitForOutput("Told the players: " + warning, 20s)) << server->Output();
        EXPECT_TRUE(bots->WaitForOutput("Ace heard: " + warning, 20s)) << bots->Output();
    }
    EXPECT_TRUE(server->WaitForOutput("Shutting down now: the countdown ended.", 20s)) << server->Output();
    EXPECT_EQ(server->Wait(), 0) << server->Output() << server->Errors();
    EXPECT_TRUE(Saved());
}

// With StopSignalCountdown set, SIGTERM warns the players before the stop; a second signal during the
// countdown stops at once; both save the configuration.
class StopSignalCountdownEndToEnd : public test::HostedGameTest {};

TEST_F(StopSignalCountdownEndToEnd, AStopSignalWarnsThePlayersWhenToldAndASecondStopsAtOnce) {
    Configure({{"DashGoInfo", "0"}, {"StopSignalCountdown", "6"}});
    auto server = StartServer({"+fragrate", "0", "+UseGameSpy", "0", "+ServerReg", "0"});
    auto bots = StartBots("Ace", 60);
    ASSERT_TRUE(server->WaitForOutput("Ace joined the game.")) << server->Output();
    server->Signal(SIGTERM);
    EXPECT_TRUE(server->WaitForOutput("A stop signal came: shutting down in 6 seconds.")) << server->Output();
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: The server shuts down in 6 seconds: the server is being stopped."))
        << bots->Output();
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: The server shuts down in 5 seconds")) << bots->Output();
    EXPECT_TRUE(server->WaitForOutput("Shutting down now: the countdown ended.")) << server->Output();
    EXPECT_EQ(server->Wait(), 0) << server->Output() << server->Errors();
    EXPECT_NE(m_Game.Read("dravosrv.cfg").find("DashGoInfo \"1\""), std::string::npos) << "saved";

    Configure({{"DashGoInfo", "0"}, {"StopSignalCountdown", "10"}});
    auto again = StartServer({"+fragrate", "0", "+UseGameSpy", "0", "+ServerReg", "0"});
    auto ace = StartBots("Ace", 60);
    ASSERT_TRUE(again->WaitForOutput("Ace joined the game.")) << again->Output();
    again->Signal(SIGINT);
    ASSERT_TRUE(again->WaitForOutput("A stop signal came: shutting down in 10 seconds.")) << again->Output();
    again->Signal(SIGTERM);
    EXPECT_EQ(again->Wait(), 0) << again->Output() << again->Errors();
    EXPECT_EQ(again->Output().find("Shutting down now: the countdown ended."), std::string::npos) << again->Output();
    EXPECT_NE(m_Game.Read("dravosrv.cfg").find("DashGoInfo \"1\""), std::string::npos) << "saved";
}

} // namespace
} // namespace dravo
