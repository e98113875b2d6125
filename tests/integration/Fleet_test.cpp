// The real dravoserv and server.so with the stand-in sidecar on loopback: Ready after the server runs,
// health while the game loop moves, the players of dravo-bot, labels through a level change, an
// allocation's level, Shutdown at every way of ending, and sidecars that are late, silent, failing or
// broken, which change nothing in the game.
#include "integration/HostedGameTest.h"
#include "support/SdkStandIn.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <thread>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::LiveProcess;
using test::SdkStandIn;

class FleetTest : public test::HostedGameTest {
protected:
    void SetUp() override { Configure({{"DashGoInfo", "0"}}); } // a normal end of the run writes 1

    std::unique_ptr<LiveProcess> StartWithSidecar(uint16_t port, std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.end(), {"+AgonesSdkPort", std::to_string(port)});
        return StartServer(arguments);
    }
    bool Saved() const { return m_Game.Read("dravosrv.cfg").find("DashGoInfo \"1\"") != std::string::npos; }
    static size_t CountLines(const LiveProcess& server, const std::string& text) {
        const std::string output = server.Output();
        size_t count = 0;
        for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) {
            ++count;
        }
        return count;
    }
    static std::set<std::string> AsSet(const std::vector<std::string>& values) {
        return {values.begin(), values.end()};
    }
};

TEST_F(FleetTest, ReadyComesAfterTheServerRunsThenHealthAndShutdown) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    auto server = StartWithSidecar(sidecar.Port());
    const auto running = server->WaitForLine(test::SampleGame::RUNNING);
    const auto ready = server->WaitForLine("Agones SDK: Ready said.");
    ASSERT_TRUE(running && ready) << server->Output();
    EXPECT_LT(running->m_Index, ready->m_Index);
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/health", 2)) << server->Output();
    EXPECT_EQ(sidecar.State(), "Ready");
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(10s), 0) << server->Output() << server->Errors();
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u);
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 1u);
    EXPECT_TRUE(Saved());
}

TEST_F(FleetTest, ThePlayersListFollowsBotsThatJoinAndLeave) {
    SdkStandIn sidecar;
    sidecar.DefinePlayersList(1000);
    ASSERT_TRUE(sidecar.Start());
    auto server = StartWithSidecar(sidecar.Port());
    auto bots = StartBots("Ace,Bob", 4);
    EXPECT_TRUE(sidecar.WaitFor([&] {
        return AsSet(sidecar.ListValues()) == std::set<std::string>{"Ace", "Bob"};
    })) << server->Output();
    EXPECT_EQ(sidecar.ListCapacity(), 16); // MaxPlayers of the sample game
    EXPECT_EQ(bots->Wait(20s), 0);
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.ListValues().empty(); })) << server->Output();
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(10s), 0);
}

TEST_F(FleetTest, LabelsFollowALevelChangeAndAnAllocationChoosesTheLevel) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    auto server = StartWithSidecar(sidecar.Port());
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["level"] == "Cinderworks"; })) << server->Output();
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["gametype"] == "deathmatch"; }));
    server->WriteLine("/nextlevel");
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["level"] == "Frostline"; })) << server->Output();
    sidecar.Allocate("dravo/level", "ironmarsh");
    EXPECT_TRUE(server->WaitForOutput("Agones SDK: the game server is Allocated.")) << server->Output();
    EXPECT_TRUE(server->WaitForOutput("level \"Worlds\\Multi\\Ironmarsh\" is played, as the allocation asked."))
        << server->Output();
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["level"] == "Ironmarsh"; }));
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(10s), 0);
}

TEST_F(FleetTest, HealthPingsStopWhileTheGameLoopIsWedged) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    auto server = StartWithSidecar(sidecar.Port());
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/health", 1)) << server->Output();
    server->WriteLine("stallframe 7000");
    ASSERT_TRUE(server->WaitForOutput("health pings stop", 10s)) << server->Output();
    const size_t pings = sidecar.Count("POST", "/health");
    ASSERT_TRUE(server->WaitForOutput("health pings resume", 15s)) << server->Output();
    // The ping that follows the line may have come before the test reads the line, no other.
    EXPECT_LE(sidecar.Count("POST", "/health"), pings + 1);
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/health", pings + 1));
    // The pings around the stall are at least its length, less one period, apart.
    std::vector<SdkStandIn::Clock::time_point> times;
    for (const auto& request : sidecar.Requests()) {
        if (request.m_Path == "/health") {
            times.push_back(request.m_Arrived);
        }
    }
    std::chrono::nanoseconds longest{0};
    for (size_t index = 1; index < times.size(); ++index) {
        longest = std::max(longest, times[index] - times[index - 1]);
    }
    EXPECT_GE(longest, 5s);
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(10s), 0);
}

TEST_F(FleetTest, ShutdownComesAtEveryWayOfEnding) {
    struct Ending {
        const char* m_Name;
        std::vector<std::string> m_Arguments;
        std::function<void(LiveProcess&)> m_End;
    };
    const std::vector<Ending> endings = {
        {"operator", {}, [](LiveProcess& server) { server.WriteLine("/shutdown"); }},
        {"signal", {}, [](LiveProcess& server) { server.Signal(SIGTERM); }},
        {"empty server",
         {"-emptyexit", "+EmptyExitDelay", "1"},
         [this](LiveProcess&) { (void)StartBots("Ace", 1)->Wait(10s); }},
    };
    for (const Ending& ending : endings) {
        SdkStandIn sidecar;
        ASSERT_TRUE(sidecar.Start());
        auto server = StartWithSidecar(sidecar.Port(), ending.m_Arguments);
        ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 1)) << ending.m_Name;
        ending.m_End(*server);
        EXPECT_EQ(server->Wait(15s), 0) << ending.m_Name << "\n" << server->Output();
        EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u) << ending.m_Name;
        EXPECT_TRUE(Saved()) << ending.m_Name;
        Configure({{"DashGoInfo", "0"}});
    }
    // A frame failure ends hosting while the window stays open: Shutdown then, and only once.
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    auto server = StartWithSidecar(sidecar.Port());
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 1));
    server->WriteLine("failframe The frame fell over.");
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/shutdown", 1)) << server->Output();
    EXPECT_FALSE(server->HasExited());
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(10s), 0) << server->Output();
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u);
}

// The game with a sidecar that misbehaves: players join, the log says so once, the end is clean and in time.
// The game is on loopback, so its first call asks the game server's address, and is tried again.
TEST_F(FleetTest, ASidecarThatIsSilentFailsOrAnswersGarbageChangesNothingInTheGame) {
    const std::vector<std::pair<SdkStandIn::Behaviour, std::string>> cases = {
        {SdkStandIn::Behaviour::Silent, "no answer from the sidecar"},
        {SdkStandIn::Behaviour::Error500, "refused GET /gameserver (HTTP 500)"},
        {SdkStandIn::Behaviour::Garbage, "no answer from the sidecar"}};
    for (const auto& [behaviour, line] : cases) {
        SdkStandIn sidecar(behaviour);
        ASSERT_TRUE(sidecar.Start());
        auto server = StartWithSidecar(sidecar.Port());
        auto bots = StartBots("Ace,Bob", 15);
        ASSERT_TRUE(server->WaitForOutput("Ace joined the game.") && server->WaitForOutput("Bob joined the game."))
            << server->Output();
        server->WriteLine("status");
        EXPECT_TRUE(server->WaitForOutput("2 of 16 players")) << line << "\n" << server->Output();
        ASSERT_TRUE(sidecar.WaitForCount("GET", "/gameserver", 3)) << line << "\n" << server->Output();
        EXPECT_EQ(CountLines(*server, line), 1u) << server->Output();
        server->Signal(SIGTERM);
        EXPECT_EQ(server->Wait(10s), 0) << line << "\n" << server->Output() << server->Errors();
        EXPECT_TRUE(Saved()) << line;
        Configure({{"DashGoInfo", "0"}});
    }
}

TEST_F(FleetTest, ASidecarTenSecondsLateGetsReadyAndThePlayers) {
    const uint16_t port = SdkStandIn::FreePort();
    auto server = StartWithSidecar(port);
    const auto started = LiveProcess::Clock::now();
    auto bots = StartBots("Ace", 30);
    ASSERT_TRUE(server->WaitForOutput("no answer from the sidecar")) << server->Output();
    ASSERT_TRUE(server->WaitForOutput("Ace joined the game.")) << server->Output();
    server->WriteLine("status");
    EXPECT_TRUE(server->WaitForOutput("1 of 16 players")) << server->Output();
    std::this_thread::sleep_until(started + 10s); // the sidecar's late start is the case itself
    SdkStandIn sidecar;
    sidecar.DefinePlayersList(16);
    ASSERT_TRUE(sidecar.Start(port));
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/ready", 1)) << server->Output();
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.ListValues() == std::vector<std::string>{"Ace"}; }));
    EXPECT_EQ(CountLines(*server, "no answer from the sidecar"), 1u);
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(10s), 0) << server->Output();
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u);
}

TEST_F(FleetTest, AnAllocationThatNobodyJoinsEndsTheServerThroughTheNormalStop) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    auto server = StartWithSidecar(sidecar.Port(), {"+AllocatedEmptyDelay", "1"});
    ASSERT_TRUE(server->WaitForLine("the game server is Ready.")) << server->Output();
    sidecar.Allocate();
    EXPECT_TRUE(server->WaitForOutput("Allocated without players for 1 second; shutting down.")) << server->Output();
    EXPECT_EQ(server->Wait(10s), 0) << server->Output() << server->Errors();
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u);
    EXPECT_EQ(sidecar.State(), "Shutdown");
    EXPECT_TRUE(Saved());
}

} // namespace
} // namespace dravo
