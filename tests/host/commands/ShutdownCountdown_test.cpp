// The warned stop's marks: told once each, the end on time, nothing after a cancel.
#include "host/commands/ShutdownCountdown.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

constexpr uint32_t START = 4294960000u; // near the clock's wrap

TEST(ShutdownCountdown, TellsTheStartEachMarkAndEndsOnTime) {
    ShutdownCountdown countdown;
    countdown.Start(65, "maintenance", START);
    EXPECT_EQ(countdown.Advance(START).m_Announce, 65u);
    EXPECT_EQ(countdown.NextDueIn(START), 5000u) << "the 60 s mark";
    EXPECT_FALSE(countdown.Advance(START + 4000).m_Announce);
    EXPECT_EQ(countdown.Advance(START + 5000).m_Announce, 60u);
    EXPECT_FALSE(countdown.Advance(START + 5000).m_Announce) << "a mark is told once";
    EXPECT_EQ(countdown.NextDueIn(START + 5000), 30000u);
    // A late wake-up passes over the 30 s and tells the 10 s mark only.
    EXPECT_EQ(countdown.Advance(START + 56000).m_Announce, 10u);
    EXPECT_EQ(countdown.Advance(START + 60000).m_Announce, 5u);
    EXPECT_EQ(countdown.NextDueIn(START + 60000), 5000u);
    EXPECT_FALSE(countdown.Advance(START + 64999).m_Finished);
    EXPECT_TRUE(countdown.Advance(START + 65000).m_Finished);
    EXPECT_FALSE(countdown.IsActive());
    EXPECT_FALSE(countdown.NextDueIn(START + 65000));
}

TEST(ShutdownCountdown, CancelledCountsNoMore) {
    ShutdownCountdown countdown;
    countdown.Start(10, "", START);
    EXPECT_EQ(countdown.Advance(START).m_Announce, 10u);
    countdown.Cancel();
    const ShutdownCountdown::Step step = countdown.Advance(START + 20000);
    EXPECT_FALSE(step.m_Finished);
    EXPECT_FALSE(step.m_Announce);
    EXPECT_FALSE(countdown.NextDueIn(START + 20000));
}

TEST(ShutdownCountdown, SecondsAreBoundedAndTheWarningReads) {
    ShutdownCountdown countdown;
    countdown.Start(999999, "", START);
    EXPECT_EQ(countdown.SecondsLeft(START), MAX_SHUTDOWN_SECONDS);
    EXPECT_EQ(ShutdownWarning(30, "maintenance"), "The server shuts down in 30 seconds: maintenance.");
    EXPECT_EQ(ShutdownWarning(1, ""), "The server shuts down in 1 second.");
}

} // namespace
} // namespace dravo
