// Tests of the dravo-bot tool against a real game session on loopback.
#include "GameTestSupport.h"

#include "support/LiveProcess.h"

#include <csignal>

namespace dravo::ref {
namespace {

using dravo::test::LiveProcess;
using test::HostedServer;

// The tool run as a child process.
std::unique_ptr<LiveProcess> StartBot(const std::vector<std::string>& arguments) {
    auto bot = std::make_unique<LiveProcess>(std::filesystem::path(DRAVO_BIN_DIR) / "dravo-bot", arguments, ".");
    EXPECT_TRUE(bot->Started()) << "build the dravo-bot target first: " << bot->Errors();
    return bot;
}

// Everything it printed so far, on either stream.
std::string Printed(const LiveProcess& bot) {
    return bot.Output() + bot.Errors();
}
bool Printed(const LiveProcess& bot, const std::string& text) {
    return Printed(bot).find(text) != std::string::npos;
}

std::vector<std::string> ClientNames(Server& server) {
    std::vector<std::string> names;
    ClientRecord record{};
    for (uint32_t i = 0; i < server.CountClients(); ++i) {
        if (server.DescribeClient(i, &record) == ENGINE_TRUE) {
            names.emplace_back(record.m_Name);
        }
    }
    return names;
}

TEST(DravoBot, JoinsNamedPlayersAnswersPingsAndLeavesOnSigterm) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    auto bot =
        StartBot({"--port", std::to_string(hosted.m_Port), "--count", "3", "--names", "Ace,Bob", "--duration", "600"});
    ASSERT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 3u; })) << Printed(*bot);
    std::vector<std::string> names = ClientNames(hosted.m_Server);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Ace", "Bob", "Bot1"}));
    ClientRecord record{};
    EXPECT_TRUE(hosted.FramesUntil([&] {
        for (uint32_t i = 0; i < hosted.m_Server.CountClients(); ++i) {
            if (hosted.m_Server.DescribeClient(i, &record) != ENGINE_TRUE || record.m_PingSeconds <= 0.0f) {
                return false;
            }
        }
        return true;
    }));
    EXPECT_TRUE(hosted.FramesUntil([&] { return Printed(*bot, "Bot1 joined with id "); })) << Printed(*bot);

    bot->Signal(SIGTERM);
    ASSERT_TRUE(hosted.FramesUntil([&] { return bot->HasExited() && hosted.m_Server.CountClients() == 0u; }))
        << Printed(*bot);
    EXPECT_EQ(bot->Wait(), 0);
    EXPECT_TRUE(bot->WaitForOutput("Ace left")) << Printed(*bot);
}

TEST(DravoBot, EndsByItselfAfterTheDuration) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    auto bot = StartBot({"--port", std::to_string(hosted.m_Port), "--duration", "0.5", "--quiet"});
    ASSERT_TRUE(hosted.FramesUntil([&] { return bot->HasExited(); }));
    EXPECT_EQ(bot->Wait(), 0);
    bot->FinishReading();
    EXPECT_EQ(Printed(*bot), ""); // quiet
}

TEST(DravoBot, ReportsAKickAndChurnBringsThePlayerBack) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    auto bot = StartBot({"--port", std::to_string(hosted.m_Port), "--names", "Ace", "--churn", "0.4", "--seed", "3",
                         "--duration", "600"});
    ASSERT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 1u; })) << Printed(*bot);
    ClientRecord record{};
    ASSERT_EQ(hosted.m_Server.DescribeClient(0, &record), ENGINE_TRUE);
    ASSERT_EQ(hosted.m_Server.DisconnectClient(record.m_ClientId), ENGINE_STATUS_OK);
    EXPECT_TRUE(hosted.FramesUntil([&] { return Printed(*bot, "Ace was kicked"); })) << Printed(*bot);
    // Away a while, then back; and with churn it also leaves by itself and comes back again.
    EXPECT_TRUE(hosted.FramesUntil([&] { return Printed(*bot, "Ace left"); })) << Printed(*bot);
    EXPECT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 1u; }));
    const auto joins = hosted.m_Recorder.TextsStartingWith("[GMSG:2][CMSG:Ace joined");
    EXPECT_GE(joins.size(), 3u);
    bot->Signal(SIGINT);
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot->HasExited(); }));
    EXPECT_EQ(bot->Wait(), 0);
}

TEST(DravoBot, ARefusedJoinIsReportedAndRetried) {
    HostedServer hosted(1);
    ASSERT_TRUE(hosted.LoadRetail());
    auto bot = StartBot({"--port", std::to_string(hosted.m_Port), "--count", "2", "--duration", "600"});
    EXPECT_TRUE(hosted.FramesUntil([&] { return Printed(*bot, "refused: server full"); })) << Printed(*bot);
    EXPECT_EQ(hosted.m_Server.CountClients(), 1u);
    bot->Signal(SIGTERM);
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot->HasExited(); }));
}

TEST(DravoBot, RefusesHostsOutsideLoopbackAndBadArguments) {
    auto remote = StartBot({"--port", "27888", "--host", "192.0.2.1"});
    ASSERT_TRUE(remote->WaitForExit(test::WAIT_BOUND));
    EXPECT_EQ(remote->Wait(), 2);
    remote->FinishReading();
    EXPECT_TRUE(Printed(*remote, "not a loopback address")) << Printed(*remote);
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                      {"--port", "0"},
                                                      {"--port", "9", "--count", "0"},
                                                      {"--port", "9", "--duration", "3601"},
                                                      {"--port", "9", "--names", "Ace,,Bob"},
                                                      {"--port", "9", "--bogus"},
                                                      {"--port", "9", "--names", std::string(64, 'n')},
                                                      {"--port"}}) {
        auto bad = StartBot(arguments);
        ASSERT_TRUE(bad->WaitForExit(test::WAIT_BOUND));
        EXPECT_EQ(bad->Wait(), 2) << Printed(*bad);
    }
}

} // namespace
} // namespace dravo::ref
