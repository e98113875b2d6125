// The fleet client against the stand-in sidecar on loopback, with the session's facts driven by the test:
// what it says and when, players, labels and an allocation's level.
#include "support/FleetClientFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::SdkStandIn;

using FleetClientTest = test::FleetClientFixture;

TEST_F(FleetClientTest, NothingIsSaidBeforeTheServerRunsThenReadyAndTheLabels) {
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    const auto hosted = SdkStandIn::Clock::now();
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 1));
    for (const auto& request : sidecar.Requests()) {
        EXPECT_GE(request.m_Arrived, hosted) << request.m_Method << " " << request.m_Path;
    }
    ASSERT_TRUE(WaitForLine("Agones SDK: Ready said."));
    EXPECT_TRUE(sidecar.WaitForCount("PUT", "/metadata/label", 2));
    ASSERT_TRUE(WaitForLine("the game server is Ready."));
    EXPECT_EQ(sidecar.Labels(),
              (std::map<std::string, std::string>{{"gametype", "deathmatch"}, {"level", "Cinderworks"}}));
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 1u);
    EXPECT_EQ(CountLines("answers."), 1) << Lines();
}

// A game on loopback only: Ready when the game server's address is a loopback one too (a fleet on one
// machine), withheld with one line when players come from elsewhere, and said once that is mended.
TEST_F(FleetClientTest, AGameOnLoopbackIsReadyOnlyWhereLoopbackIsTheGameServersAddress) {
    SdkStandIn& sidecar = Sidecar();
    sidecar.SetAddress("10.1.2.3");
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    HostedGame game{16, "deathmatch", test::FLEET_ROTATION, test::FLEET_ROTATION.front()};
    game.m_HostAddress = "127.0.0.1";
    m_Facts.HostingStarted(game);
    ASSERT_TRUE(WaitForLine("Ready is withheld")) << Lines();
    EXPECT_TRUE(WaitForLine("hosted on 127.0.0.1 only, which players cannot reach at the game server's address "
                            "10.1.2.3"))
        << Lines();
    m_Facts.LevelChanged("Worlds\\Multi\\Frostline"); // wakes the client: still nothing said
    sidecar.SetAddress("127.0.0.1");
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 1)) << Lines();
    EXPECT_EQ(CountLines("Ready is withheld"), 1) << Lines();
    const auto requests = sidecar.Requests();
    const auto first =
        std::find_if(requests.begin(), requests.end(), [](const auto& r) { return r.m_Method != "GET"; });
    ASSERT_NE(first, requests.end());
    EXPECT_EQ(first->m_Path, "/ready"); // nothing was said before
}

TEST_F(FleetClientTest, LabelsFollowTheLevelAndTheGameType) {
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.LevelChanged("Worlds\\Multi\\Frostline");
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["level"] == "Frostline"; })) << Lines();
    m_Facts.SetGameType("capture the flag");
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["gametype"] == "capture_the_flag"; })) << Lines();
}

TEST_F(FleetClientTest, ShutdownWhenHostingEndsAndOnlyOnce) {
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 1));
    m_Facts.HostingEnded();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/shutdown", 1));
    m_Client->Finish();
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u);
    EXPECT_EQ(sidecar.State(), "Shutdown");
    EXPECT_EQ(CountLines("Agones SDK: Shutdown said."), 1);
}

TEST_F(FleetClientTest, FinishSaysShutdownWhateverTheSessionSaid) {
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    m_Client->Finish(); // never hosted (the window closed before)
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u);
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 0u);
}

TEST_F(FleetClientTest, ThePlayersListHoldsWhoPlaysWithMaxPlayersAsCapacity) {
    SdkStandIn& sidecar = Sidecar();
    sidecar.DefinePlayersList(1000);
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.SetPlayers(test::Players({"Ace", "Bob", "Ace"}), 0);
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.ListValues() == std::vector<std::string>{"Ace", "Bob"}; }));
    EXPECT_EQ(sidecar.ListCapacity(), 16);
    m_Facts.SetPlayers(test::Players({"Bob"}), 0);
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.ListValues() == std::vector<std::string>{"Bob"}; }));
    m_Facts.SetPlayers(test::Players({}), 0);
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.ListValues().empty(); }));
    EXPECT_EQ(CountLines("players are reported in the list \"players\" (capacity 16)"), 1) << Lines();
}

// Each join and each leave is one call, a new order none, and a value an allocation put in the list stays.
TEST_F(FleetClientTest, PlayersComeAndGoOneCallEachAndAnAllocationsValueStays) {
    SdkStandIn& sidecar = Sidecar();
    sidecar.DefinePlayersList(1000);
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port(), HttpLimits{5s, 10s});
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("PATCH", "/v1beta1/lists/players", 1));
    sidecar.AddListValue("party-7");
    const auto calls = [&] {
        return sidecar.Count("POST", "/v1beta1/lists/players:addValue") +
               sidecar.Count("POST", "/v1beta1/lists/players:removeValue");
    };
    const auto holds = [&](std::set<std::string> values) {
        return sidecar.WaitFor([&] {
            const auto listed = sidecar.ListValues();
            return std::set<std::string>(listed.begin(), listed.end()) == values;
        });
    };
    m_Facts.SetPlayers(test::Players({"Ace", "Bob"}), 0);
    ASSERT_TRUE(holds({"party-7", "Ace", "Bob"})) << Lines();
    m_Facts.SetPlayers(test::Players({"Bob", "Ace"}), 0);
    m_Facts.SetPlayers(test::Players({"Bob", "Cyd"}), 0);
    ASSERT_TRUE(holds({"party-7", "Bob", "Cyd"})) << Lines();
    m_Facts.SetPlayers(test::Players({}), 0);
    ASSERT_TRUE(holds({"party-7"})) << Lines();
    EXPECT_EQ(calls(), 6u); // Ace, Bob and Cyd came; Ace, Bob and Cyd went
    EXPECT_EQ(sidecar.Count("PATCH", "/v1beta1/lists/players"), 1u);
    EXPECT_EQ(sidecar.ListCapacity(), 16);
}

TEST_F(FleetClientTest, WithoutTheListPlayerTrackingTakesThePlayers) {
    SdkStandIn& sidecar = Sidecar();
    sidecar.EnablePlayerTracking();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.SetPlayers(test::Players({"Ace", "Bob"}), 0);
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.TrackedPlayers() == std::set<std::string>{"Ace", "Bob"}; }));
    EXPECT_EQ(sidecar.TrackedCapacity(), 16);
    m_Facts.SetPlayers(test::Players({"Cyd", "Bob"}), 0);
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.TrackedPlayers() == std::set<std::string>{"Bob", "Cyd"}; }));
    EXPECT_TRUE(WaitForLine("players are reported through player tracking (capacity 16)"));
}

TEST_F(FleetClientTest, WithNeitherThePlayersAreNotReported) {
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.SetPlayers(test::Players({"Ace"}), 0);
    EXPECT_TRUE(WaitForLine("players are not reported")) << Lines();
    m_Facts.HostingEnded(); // and the rest goes on
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/shutdown", 1));
}

TEST_F(FleetClientTest, AnAllocationsLevelIsReachedThroughTheRotation) {
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    ASSERT_TRUE(WaitForLine("the game server is Ready."));
    sidecar.Allocate("dravo/level", "glasshouse");
    ASSERT_TRUE(WaitForLine("the game server is Allocated."));
    ASSERT_TRUE(WaitForLine("level \"Glasshouse\" is played, as the allocation asked.")) << Lines();
    EXPECT_EQ(m_NextLevelPresses, 2);
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["level"] == "Glasshouse"; }));
    // Allocated again, with another level, while Allocated.
    sidecar.Allocate("dravo/level", "Frostline");
    ASSERT_TRUE(WaitForLine("level \"Worlds\\Multi\\Frostline\" is played, as the allocation asked.")) << Lines();
    EXPECT_EQ(m_NextLevelPresses, 4);
}

} // namespace
} // namespace dravo
