#include "host/SessionCounters.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SessionCounters, StepIntervalsFallIntoTheirBucketsAndTheFirstStepIsNotTimed) {
    SessionCounters counters;
    counters.CountStep(0);
    counters.CountStep(9); // at a bound: that bucket
    counters.CountStep(10);
    counters.CountStep(11);  // up to 12
    counters.CountStep(251); // above every bound
    const SessionSnapshot snapshot = counters.Snapshot(0);
    EXPECT_EQ(snapshot.m_Steps, 5u);
    EXPECT_EQ(snapshot.m_StepIntervalSumMs, 9u + 10 + 11 + 251);
    std::array<uint64_t, STEP_INTERVAL_BOUNDS_MS.size() + 1> expected{};
    expected[2] = 1; // 9
    expected[3] = 1; // 10
    expected[4] = 1; // 12
    expected[STEP_INTERVAL_BOUNDS_MS.size()] = 1;
    EXPECT_EQ(snapshot.m_StepIntervals, expected);
}

TEST(SessionCounters, TheSnapshotCarriesTheGameAndItsHostingTime) {
    SessionCounters counters;
    EXPECT_EQ(counters.Snapshot(500).m_HostingMs, 0u) << "not hosted yet";
    counters.HostingStarted(0xFFFFFF00u, 24, "Worlds\\Arena");
    counters.SetPlayers(3);
    counters.LevelChanged("Worlds\\Next");
    counters.CountRemoteLogin(RemoteLogin::WrongPassword);
    counters.Presence().Drop(QueryDrop::Budget);
    SessionSnapshot snapshot = counters.Snapshot(0x100u);
    EXPECT_TRUE(snapshot.m_Hosting);
    EXPECT_EQ(snapshot.m_HostingMs, 0x200u) << "across the clock's wrap";
    EXPECT_EQ(snapshot.m_MaxPlayers, 24);
    EXPECT_EQ(snapshot.m_Players, 3);
    EXPECT_EQ(snapshot.m_Level, "Worlds\\Next");
    EXPECT_EQ(snapshot.m_LevelChanges, 1u);
    EXPECT_EQ(snapshot.m_RemoteLogins[static_cast<size_t>(RemoteLogin::WrongPassword)], 1u);
    EXPECT_EQ(snapshot.m_QueriesDropped[static_cast<size_t>(QueryDrop::Budget)], 1u);
    counters.HostingStopped();
    EXPECT_FALSE(counters.Snapshot(0x100u).m_Hosting);
}

} // namespace
} // namespace dravo
