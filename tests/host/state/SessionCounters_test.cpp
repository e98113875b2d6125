#include "host/state/SessionCounters.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SessionCounters, StepIntervalsFallIntoTheirBucketsAndTheFirstStepIsNotTimed) {
    SessionCounters counters;
    counters.CountStepInterval(0);
    counters.CountStepInterval(9); // at a bound: that bucket
    counters.CountStepInterval(10);
    counters.CountStepInterval(11);  // up to 12
    counters.CountStepInterval(251); // above every bound
    const CounterSnapshot snapshot = counters.Snapshot();
    EXPECT_EQ(snapshot.m_StepIntervalSumMs, 9u + 10 + 11 + 251);
    std::array<uint64_t, STEP_INTERVAL_BOUNDS_MS.size() + 1> expected{};
    expected[2] = 1; // 9
    expected[3] = 1; // 10
    expected[4] = 1; // 12
    expected[STEP_INTERVAL_BOUNDS_MS.size()] = 1;
    EXPECT_EQ(snapshot.m_StepIntervals, expected);
}

TEST(SessionCounters, TheSnapshotCarriesEachCounterInItsOwnPlace) {
    SessionCounters counters;
    counters.CountRemoteLogin(RemoteLogin::WrongPassword);
    counters.CountRemoteLogin(RemoteLogin::WrongPassword);
    counters.CountRemoteLogin(RemoteLogin::LockedOut);
    counters.Presence().CountDrop(QueryDrop::Budget);
    counters.CountConsoleCommand();
    counters.CountRemoteCommand();
    counters.CountOperatorKick();
    counters.CountBanKick();
    counters.CountBanKick();
    counters.SetBannedNames(7);
    const CounterSnapshot snapshot = counters.Snapshot();
    EXPECT_EQ(snapshot.m_RemoteLogins, (std::array<uint64_t, REMOTE_LOGIN_KINDS>{0, 2, 1}));
    EXPECT_EQ(snapshot.m_QueriesDropped, (std::array<uint64_t, QUERY_DROP_KINDS>{0, 1, 0, 0, 0}));
    EXPECT_EQ(snapshot.m_ConsoleCommands, 1u);
    EXPECT_EQ(snapshot.m_RemoteCommands, 1u);
    EXPECT_EQ(snapshot.m_OperatorKicks, 1u);
    EXPECT_EQ(snapshot.m_BanKicks, 2u);
    EXPECT_EQ(snapshot.m_BannedNames, 7u);
}

} // namespace
} // namespace dravo
