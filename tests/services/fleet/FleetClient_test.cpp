// The fleet client against the stand-in sidecar on loopback, with the session's facts driven by the test:
// what it says and when, players, labels, health while the loop is wedged, an allocation's level, and
// sidecars that come late, never answer, fail or answer garbage.
#include "services/fleet/FleetClient.h"
#include "support/FakeClock.h"
#include "support/RosterPlayers.h"
#include "support/SdkStandIn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::SdkStandIn;

const std::vector<std::string> ROTATION = {"Worlds\\Multi\\Cinderworks", "Worlds\\Multi\\Frostline", "Glasshouse"};

class FleetClientTest : public ::testing::Test {
public:
    SessionFacts m_Facts;
    BlockingPool m_Pool; // outlives the client
    std::mutex m_Mutex;
    std::condition_variable m_Logged;
    std::vector<std::string> m_Lines;
    std::atomic<int> m_NextLevelPresses{0};
    test::FakeClock m_Clock;         // counts the allocated server's empty time
    AllocatedEmptyOptions m_Empty;   // off unless a test sets it
    std::atomic<int> m_Shutdowns{0}; // the hook's stops
    std::unique_ptr<FleetClient> m_Client;

    // Short request limits let the misbehaving sidecars' tests end soon; a test that counts requests gives
    // more, so that no request it counts ends by its limit on a loaded machine and reaches the sidecar late.
    void StartClient(uint16_t port, HttpLimits limits = HttpLimits{300ms, 600ms}) {
        FleetOptions options;
        options.m_BaseUrl = "http://127.0.0.1:" + std::to_string(port);
        options.m_HealthPeriod = 100ms;
        options.m_Limits = limits;
        options.m_FirstRetry = 20ms;
        options.m_LongestRetry = 200ms;
        options.m_FinishLimit = 1500ms;
        options.m_Clock = &m_Clock;
        options.m_AllocatedEmpty = m_Empty;
        FleetHooks hooks;
        hooks.m_Log = [this](const std::string& line) {
            std::scoped_lock lock(m_Mutex);
            m_Lines.push_back(line);
            m_Logged.notify_all();
        };
        hooks.m_NextLevel = [this] { OnNextLevel(); };
        hooks.m_Shutdown = [this] { ++m_Shutdowns; };
        m_Client = std::make_unique<FleetClient>(m_Facts, m_Pool, std::move(options), std::move(hooks));
    }
    // The game's answer to Next Level: the rotation's next level.
    void OnNextLevel() {
        ++m_NextLevelPresses;
        const SessionSnapshot facts = m_Facts.Snapshot();
        const auto at = std::find(ROTATION.begin(), ROTATION.end(), facts.m_Level);
        m_Facts.LevelChanged(at == ROTATION.end() || at + 1 == ROTATION.end() ? ROTATION.front() : *(at + 1));
    }
    void Host() { m_Facts.HostingStarted(HostedGame{16, "deathmatch", ROTATION, ROTATION.front()}); }
    bool WaitForLine(const std::string& text, std::chrono::milliseconds limit = 10s) {
        std::unique_lock lock(m_Mutex);
        return m_Logged.wait_for(lock, limit, [&] { return CountLocked(text) > 0; });
    }
    int CountLines(const std::string& text) {
        std::scoped_lock lock(m_Mutex);
        return CountLocked(text);
    }
    int CountLocked(const std::string& text) const {
        return static_cast<int>(std::count_if(m_Lines.begin(), m_Lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        }));
    }
    std::string Lines() {
        std::scoped_lock lock(m_Mutex);
        std::string all;
        for (const auto& line : m_Lines) {
            all += line + "\n";
        }
        return all;
    }
};

TEST_F(FleetClientTest, NothingIsSaidBeforeTheServerRunsThenReadyAndTheLabels) {
    SdkStandIn sidecar;
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
    SdkStandIn sidecar;
    sidecar.SetAddress("10.1.2.3");
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    HostedGame game{16, "deathmatch", ROTATION, ROTATION.front()};
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
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.LevelChanged("Worlds\\Multi\\Frostline");
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["level"] == "Frostline"; })) << Lines();
    m_Facts.SetGameType("capture the flag");
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["gametype"] == "capture_the_flag"; })) << Lines();
}

TEST_F(FleetClientTest, ShutdownWhenHostingEndsAndOnlyOnce) {
    SdkStandIn sidecar;
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
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    m_Client->Finish(); // never hosted (the window closed before)
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u);
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 0u);
}

TEST_F(FleetClientTest, ThePlayersListHoldsWhoPlaysWithMaxPlayersAsCapacity) {
    SdkStandIn sidecar;
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
    SdkStandIn sidecar;
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
    SdkStandIn sidecar;
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
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.SetPlayers(test::Players({"Ace"}), 0);
    EXPECT_TRUE(WaitForLine("players are not reported")) << Lines();
    m_Facts.HostingEnded(); // and the rest goes on
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/shutdown", 1));
}

TEST_F(FleetClientTest, HealthPingsStopWhileTheStepsStandStill) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port(), HttpLimits{5s, 10s});
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/health", 1));
    // No step from here on: the next check stops the pings, and five more checks send none and say
    // nothing more.
    ASSERT_TRUE(WaitForLine("health pings stop")) << Lines();
    const size_t pings = sidecar.Count("POST", "/health");
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(sidecar.Count("POST", "/health"), pings);
    EXPECT_EQ(CountLines("health pings stop"), 1) << Lines();
    // One step: the pings resume (and stop again a check later, since no step follows).
    m_Facts.CountStep();
    ASSERT_TRUE(WaitForLine("health pings resume")) << Lines();
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/health", pings + 1));
}

TEST_F(FleetClientTest, ASidecarThatComesLateGetsReady) {
    const uint16_t port = SdkStandIn::FreePort();
    StartClient(port);
    Host();
    ASSERT_TRUE(WaitForLine("no answer from the sidecar")) << Lines();
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start(port));
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/ready", 1));
    EXPECT_TRUE(WaitForLine("answers again.")) << Lines();
    EXPECT_EQ(CountLines("no answer from the sidecar"), 1);
}

// Each way a sidecar can misbehave gets one line however often it fails, and the end is still bounded.
void ExpectOneLineAndABoundedEnd(FleetClientTest& test, SdkStandIn::Behaviour behaviour, const std::string& line) {
    SdkStandIn sidecar(behaviour);
    ASSERT_TRUE(sidecar.Start());
    test.StartClient(sidecar.Port());
    test.Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 3));
    EXPECT_TRUE(test.WaitForLine(line)) << test.Lines();
    EXPECT_EQ(test.CountLines(line), 1) << test.Lines();
    test.m_Facts.HostingEnded();
    test.m_Client->Finish(); // gives Shutdown its limit at most
    EXPECT_GE(sidecar.Count("POST", "/shutdown"), 1u);
}

TEST_F(FleetClientTest, ASidecarThatNeverAnswersIsSaidOnce) {
    ExpectOneLineAndABoundedEnd(*this, SdkStandIn::Behaviour::Silent, "no answer from the sidecar");
}

TEST_F(FleetClientTest, ASidecarThatAnswers500IsSaidOnce) {
    ExpectOneLineAndABoundedEnd(*this, SdkStandIn::Behaviour::Error500, "refused POST /ready (HTTP 500)");
}

TEST_F(FleetClientTest, ASidecarThatAnswersGarbageIsSaidOnce) {
    ExpectOneLineAndABoundedEnd(*this, SdkStandIn::Behaviour::Garbage, "no answer from the sidecar");
}

// The gateway answers 503 with its JSON error while the SDK server behind it is away: Ready, the labels and
// the players are all tried again until it is back, with one line for the trouble and one for the end.
TEST_F(FleetClientTest, ASidecarFailingWithTheGatewaysJsonErrorsGetsEverythingOnceItRecovers) {
    SdkStandIn sidecar;
    sidecar.DefinePlayersList(1000);
    sidecar.SetFailing(true);
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.SetPlayers(test::Players({"Ace"}), 0);
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 4));
    sidecar.SetFailing(false);
    ASSERT_TRUE(sidecar.WaitFor([&] { return sidecar.State() == "Ready"; })) << Lines();
    EXPECT_TRUE(sidecar.WaitFor([&] {
        return sidecar.Labels().size() == 2 && sidecar.ListValues() == std::vector<std::string>{"Ace"};
    })) << Lines();
    EXPECT_TRUE(WaitForLine("answers again.")) << Lines();
    EXPECT_EQ(CountLines("refused POST /ready (HTTP 503)"), 1) << Lines();
    EXPECT_EQ(CountLines("refused"), 1) << Lines();
    EXPECT_EQ(CountLines("Ready said."), 1) << Lines();
}

// A 4xx is the sidecar's last word on a label, said once; on Ready it is not.
TEST_F(FleetClientTest, ARefusedLabelIsToldOnceAndARefusedReadyIsTriedAgain) {
    SdkStandIn sidecar;
    sidecar.RefuseWith("/metadata/label", 400);
    sidecar.RefuseWith("/ready", 400);
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 3));
    sidecar.RefuseWith("/ready", 0);
    ASSERT_TRUE(sidecar.WaitFor([&] { return sidecar.State() == "Ready"; })) << Lines();
    ASSERT_TRUE(sidecar.WaitForCount("PUT", "/metadata/label", 2)) << Lines();
    m_Facts.LevelChanged("Worlds\\Multi\\Frostline");
    EXPECT_TRUE(sidecar.WaitForCount("PUT", "/metadata/label", 3)) << Lines();
    EXPECT_TRUE(WaitForLine("Ready said.")) << Lines();
    EXPECT_EQ(CountLines("refused PUT /metadata/label (HTTP 400)"), 1) << Lines();
}

TEST_F(FleetClientTest, AnAllocationsLevelIsReachedThroughTheRotation) {
    SdkStandIn sidecar;
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

// An allocation nobody joins: after the delay on the program's clock, and not before, the server says
// Ready again, or stops through the hook; a player in the game keeps it.
TEST_F(FleetClientTest, AnAllocatedServerLeftEmptyIsReadyAgainOrStops) {
    for (const EmptyAction action : {EmptyAction::Ready, EmptyAction::Shutdown}) {
        m_Empty = {30000, action};
        SdkStandIn sidecar;
        ASSERT_TRUE(sidecar.Start());
        // Health pings, which come while the steps move, show that the client has looked again.
        const auto rounds = [&](size_t more) {
            const size_t pings = sidecar.Count("POST", "/health") + more;
            return sidecar.WaitFor([&] {
                m_Facts.CountStep();
                return sidecar.Count("POST", "/health") >= pings;
            });
        };
        StartClient(sidecar.Port());
        Host();
        m_Facts.SetPlayers(test::Players({"Ace"}), 0);
        ASSERT_TRUE(WaitForLine("the game server is Ready."));
        sidecar.Allocate();
        ASSERT_TRUE(WaitForLine("the game server is Allocated."));
        ASSERT_TRUE(rounds(2));
        m_Clock.Advance(60000); // a player is in: nothing is counted
        ASSERT_TRUE(rounds(2));
        m_Facts.SetPlayers(test::Players({}), 0);
        ASSERT_TRUE(rounds(2));
        m_Clock.Advance(29999);
        ASSERT_TRUE(rounds(3));
        EXPECT_EQ(sidecar.State(), "Allocated");
        EXPECT_EQ(m_Shutdowns, 0);
        m_Clock.Advance(1);
        ASSERT_TRUE(WaitForLine("Allocated without players for 30 seconds")) << Lines();
        if (action == EmptyAction::Ready) {
            EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.State() == "Ready"; }));
            EXPECT_EQ(sidecar.Count("POST", "/ready"), 2u);
        } else {
            ASSERT_TRUE(rounds(1)); // the round that logged it has called the hook since
            EXPECT_EQ(m_Shutdowns, 1);
            EXPECT_EQ(sidecar.Count("POST", "/ready"), 1u);
        }
        m_Client->Finish();
        std::scoped_lock lock(m_Mutex);
        m_Lines.clear();
    }
}

} // namespace
} // namespace dravo
