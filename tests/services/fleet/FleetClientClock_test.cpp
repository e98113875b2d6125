// The fleet client's waits on the program's clock, moved by the test: health pings while the steps stand
// still, the backoff after a failed call, and an Allocated server left empty.
#include "support/FleetClientFixture.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::SdkStandIn;

class FleetClientClockTest : public test::FleetClientFixture {
public:
    FleetClientClockTest() { m_OnFakeClock = true; }
};

TEST_F(FleetClientClockTest, HealthPingsStopWhileTheStepsStandStill) {
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port(), HttpLimits{5s, 10s});
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/health", 1));
    ASSERT_TRUE(Settle(99));
    EXPECT_EQ(sidecar.Count("POST", "/health"), 1u); // not before the period is over
    // No step from here on: the next check stops the pings, and five more checks send none and say
    // nothing more.
    ASSERT_TRUE(Settle(1));
    ASSERT_TRUE(WaitForLine("health pings stop")) << Lines();
    const size_t pings = sidecar.Count("POST", "/health");
    for (int check = 0; check < 5; ++check) {
        ASSERT_TRUE(Settle(100));
    }
    EXPECT_EQ(sidecar.Count("POST", "/health"), pings);
    EXPECT_EQ(CountLines("health pings stop"), 1) << Lines();
    // One step: the next check resumes the pings.
    m_Facts.CountStep();
    ASSERT_TRUE(Settle(100));
    EXPECT_EQ(CountLines("health pings resume"), 1) << Lines();
    EXPECT_EQ(sidecar.Count("POST", "/health"), pings + 1);
}

// Ready refused by the gateway's JSON error is asked again after 20 ms, then 40 ms, of the program's clock,
// not before, however long the real time.
TEST_F(FleetClientClockTest, AFailedCallIsTriedAgainAfterTheBackoffOnTheProgramsClock) {
    SdkStandIn& sidecar = Sidecar();
    sidecar.SetFailing(true);
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port(), HttpLimits{5s, 10s});
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 1));
    ASSERT_TRUE(Settle(0)); // the refusal is in
    ASSERT_TRUE(Settle(19));
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 1u);
    ASSERT_TRUE(Settle(1));
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 2u);
    ASSERT_TRUE(Settle(39));
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 2u);
    ASSERT_TRUE(Settle(1));
    EXPECT_EQ(sidecar.Count("POST", "/ready"), 3u);
    sidecar.SetFailing(false);
    ASSERT_TRUE(Settle(80));
    EXPECT_EQ(sidecar.State(), "Ready") << Lines();
    EXPECT_EQ(CountLines("Ready said."), 1) << Lines();
}

// An allocation nobody joins: after the delay, and not before, the server says Ready again, or stops
// through the hook; a player in the game keeps it. The stretch begins at the round that first sees the
// server empty, which is at most 1 ms after the player left.
TEST_F(FleetClientClockTest, AnAllocatedServerLeftEmptyIsReadyAgainOrStops) {
    for (const EmptyAction action : {EmptyAction::Ready, EmptyAction::Shutdown}) {
        m_Empty = {30000, action};
        SdkStandIn& sidecar = Sidecar();
        ASSERT_TRUE(sidecar.Start());
        StartClient(sidecar.Port());
        Host();
        m_Facts.SetPlayers(test::Players({"Ace"}), 0);
        ASSERT_TRUE(WaitForLine("the game server is Ready."));
        sidecar.Allocate();
        ASSERT_TRUE(WaitForLine("the game server is Allocated."));
        ASSERT_TRUE(Settle(60000)); // a player is in: nothing is counted
        EXPECT_EQ(m_Shutdowns, 0);
        m_Facts.SetPlayers(test::Players({}), 0);
        ASSERT_TRUE(Settle(1));
        ASSERT_TRUE(Settle(29998));
        EXPECT_EQ(sidecar.State(), "Allocated");
        EXPECT_EQ(m_Shutdowns, 0);
        EXPECT_EQ(CountLines("Allocated without players"), 0) << Lines();
        ASSERT_TRUE(Settle(2));
        EXPECT_EQ(CountLines("Allocated without players for 30 seconds"), 1) << Lines();
        if (action == EmptyAction::Ready) {
            EXPECT_EQ(sidecar.State(), "Ready");
            EXPECT_EQ(sidecar.Count("POST", "/ready"), 2u);
        } else {
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
