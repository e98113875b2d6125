#include "services/rcon/LoginGuard.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

constexpr uint32_t ADDRESS = 0x7F000001;
constexpr uint32_t OTHER = 0x7F000002;

TEST(LoginGuard, LocksAnAddressOutAfterFailuresInARowForATimeThatDoubles) {
    LoginGuard guard(LoginGuardLimits{3, 1000});
    uint64_t now = 5000;
    EXPECT_EQ(guard.Failed(ADDRESS, now), 0u);
    EXPECT_EQ(guard.Failed(ADDRESS, now), 0u);
    EXPECT_EQ(guard.LockedForMs(ADDRESS, now), 0u);
    EXPECT_EQ(guard.Failed(ADDRESS, now), 1000u);
    EXPECT_EQ(guard.LockedForMs(ADDRESS, now + 400), 600u);
    EXPECT_EQ(guard.LockedForMs(OTHER, now), 0u) << "only the failing address is locked out";
    now += 1000;
    EXPECT_EQ(guard.LockedForMs(ADDRESS, now), 0u);
    EXPECT_EQ(guard.Failed(ADDRESS, now), 0u);
    EXPECT_EQ(guard.Failed(ADDRESS, now), 0u);
    EXPECT_EQ(guard.Failed(ADDRESS, now), 2000u);
    now += 2000;
    for (int i = 0; i < 2; ++i) {
        (void)guard.Failed(ADDRESS, now);
    }
    EXPECT_EQ(guard.Failed(ADDRESS, now), 4000u);
}

TEST(LoginGuard, ARightPasswordForgetsTheFailuresButNotTheDoubling) {
    LoginGuard guard(LoginGuardLimits{2, 1000});
    (void)guard.Failed(ADDRESS, 10);
    guard.Succeeded(ADDRESS, 10);
    EXPECT_EQ(guard.Failed(ADDRESS, 10), 0u) << "the failure before the login no longer counts";
    EXPECT_EQ(guard.Failed(ADDRESS, 10), 1000u);
    guard.Succeeded(ADDRESS, 2000);
    (void)guard.Failed(ADDRESS, 2000);
    EXPECT_EQ(guard.Failed(ADDRESS, 2000), 2000u);
    // A quiet day starts afresh.
    const uint64_t later = 2000 + 2000 + LoginGuard::DECAY_MS;
    (void)guard.Failed(ADDRESS, later);
    EXPECT_EQ(guard.Failed(ADDRESS, later), 1000u);
}

TEST(LoginGuard, TheLockoutStopsGrowingAtItsBound) {
    LoginGuard guard(LoginGuardLimits{1, 3600000});
    uint64_t now = 1;
    uint64_t lockout = 0;
    for (int i = 0; i < 40; ++i) {
        lockout = guard.Failed(ADDRESS, now++);
    }
    EXPECT_EQ(lockout, LoginGuard::MAX_LOCKOUT_MS);
}

TEST(LoginGuard, AFullTableMakesRoomWithoutFreeingALockedAddress) {
    LoginGuard guard(LoginGuardLimits{1, 60000});
    EXPECT_EQ(guard.Failed(ADDRESS, 1), 60000u);
    for (uint32_t i = 0; i < LoginGuard::MAX_ADDRESSES + 10; ++i) {
        guard.Succeeded(0x0A000000 + i, 2 + i);
    }
    EXPECT_EQ(guard.Size(), LoginGuard::MAX_ADDRESSES);
    EXPECT_GT(guard.LockedForMs(ADDRESS, 5000), 0u);
}

// Once the table is full of locked addresses, two addresses taking turns must not push each other out
// to guess without end: a new address is refused until a lockout ends.
TEST(LoginGuard, AFullTableOfLockedAddressesRefusesNewOnesInsteadOfForgetting) {
    LoginGuard guard(LoginGuardLimits{3, 30000});
    const uint64_t now = 1000;
    for (uint32_t i = 0; i < LoginGuard::MAX_ADDRESSES - 1; ++i) {
        for (int failure = 0; failure < 3; ++failure) {
            (void)guard.Failed(0x7F640000 + i, now);
        }
    }
    constexpr uint32_t FIRST = 0x7FFC0001;
    constexpr uint32_t SECOND = 0x7FFC0002;
    EXPECT_EQ(guard.LockedForMs(FIRST, now), 0u) << "one place is left";
    (void)guard.Failed(FIRST, now);
    EXPECT_GT(guard.LockedForMs(SECOND, now), 0u) << "no place, and no entry it may forget";
    for (int turn = 0; turn < 10; ++turn) {
        (void)guard.Failed(SECOND, now);
    }
    EXPECT_EQ(guard.Failed(FIRST, now), 0u);
    EXPECT_EQ(guard.Failed(FIRST, now), 30000u) << "its failures were kept in all that";
    EXPECT_GT(guard.LockedForMs(0x7F640000, now + 29999), 0u) << "a locked address was never forgotten";
    EXPECT_EQ(guard.LockedForMs(SECOND, now + 30000), 0u) << "once lockouts end, room is made again";
}

// Failures from many addresses draw on one budget that refills at one address's pace.
TEST(LoginGuard, FailuresFromAllAddressesTogetherSpendOneBudget) {
    LoginGuard guard(LoginGuardLimits{3, 30000});
    const uint64_t now = 1000;
    const uint32_t burst = LoginGuard::GLOBAL_BURST_LOCKOUTS * 3;
    for (uint32_t i = 0; i < burst; ++i) {
        EXPECT_EQ(guard.GlobalWaitMs(now), 0u) << i;
        (void)guard.Failed(0x7F000100 + i, now); // one failure each: no address is locked out
    }
    EXPECT_EQ(guard.GlobalWaitMs(now), 10000u) << "one more failure in a third of the base lockout";
    EXPECT_EQ(guard.GlobalWaitMs(now + 9999), 1u);
    EXPECT_EQ(guard.GlobalWaitMs(now + 10000), 0u);
    (void)guard.Failed(0x7F000999, now + 10000);
    EXPECT_GT(guard.GlobalWaitMs(now + 10000), 0u);
    EXPECT_EQ(guard.GlobalWaitMs(now + 10000 + 4 * 30000), 0u) << "a quiet while refills it";
}

} // namespace
} // namespace dravo
