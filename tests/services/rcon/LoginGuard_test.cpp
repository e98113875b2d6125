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

} // namespace
} // namespace dravo
