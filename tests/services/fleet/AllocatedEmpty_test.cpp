// The time an Allocated server goes without players, on a fake clock: when it falls due, once per
// stretch, and what ends a stretch.
#include "services/fleet/AllocatedEmpty.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(AllocatedEmpty, FallsDueOnceAfterTheDelayOfAllocatedAndEmpty) {
    test::FakeClock clock;
    clock.Set(0xFFFFF000); // the count crosses the clock's wrap
    AllocatedEmptyTimer timer(clock, {5000, EmptyAction::Shutdown});
    EXPECT_FALSE(timer.Due(true, true));
    EXPECT_EQ(timer.Left(), 5000u);
    clock.Advance(4999);
    EXPECT_FALSE(timer.Due(true, true));
    EXPECT_EQ(timer.Left(), 1u);
    clock.Advance(1);
    EXPECT_TRUE(timer.Due(true, true));
    EXPECT_FALSE(timer.Left());
    clock.Advance(60000);
    EXPECT_FALSE(timer.Due(true, true)); // once per stretch
    EXPECT_EQ(timer.Line(),
              "Agones SDK: the game server has been Allocated without players for 5 seconds; shutting down.");
}

TEST(AllocatedEmpty, APlayerOrAnotherStateStartsTheCountAnew) {
    test::FakeClock clock;
    AllocatedEmptyTimer timer(clock, {5000, EmptyAction::Ready});
    EXPECT_FALSE(timer.Due(true, true));
    clock.Advance(4000);
    EXPECT_FALSE(timer.Due(true, false)); // someone joined
    EXPECT_FALSE(timer.Left());
    EXPECT_FALSE(timer.Due(true, true));
    clock.Advance(4000);
    EXPECT_FALSE(timer.Due(false, true)); // Ready again, not Allocated
    EXPECT_FALSE(timer.Due(true, true));
    clock.Advance(4999);
    EXPECT_FALSE(timer.Due(true, true));
    clock.Advance(1);
    EXPECT_TRUE(timer.Due(true, true));
    timer.Restart();
    EXPECT_FALSE(timer.Due(true, true)); // the next allocation counts from its start
    EXPECT_NE(timer.Line().find("it is Ready again."), std::string::npos);
}

TEST(AllocatedEmpty, OffWithoutADelayAndTheActionIsReadInAnyCase) {
    test::FakeClock clock;
    AllocatedEmptyTimer timer(clock, {0, EmptyAction::Shutdown});
    EXPECT_FALSE(timer.Due(true, true));
    clock.Advance(0x7FFFFFFF);
    EXPECT_FALSE(timer.Due(true, true));
    EXPECT_FALSE(timer.Left());
    EXPECT_EQ(ReadEmptyAction("Ready"), EmptyAction::Ready);
    EXPECT_EQ(ReadEmptyAction("SHUTDOWN"), EmptyAction::Shutdown);
    EXPECT_FALSE(ReadEmptyAction("restart"));
    EXPECT_FALSE(ReadEmptyAction(""));
}

} // namespace
} // namespace dravo
