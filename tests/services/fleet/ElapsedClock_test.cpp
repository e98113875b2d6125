// The fleet client's count of time on the program's 32-bit clock: across its wrap, and with readings that
// come late from another thread.
#include "services/fleet/ElapsedClock.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

TEST(ElapsedClock, CountsOnAcrossTheClocksWrap) {
    test::FakeClock clock;
    clock.Set(0xFFFFFF00u);
    ElapsedClock elapsed(clock);
    EXPECT_EQ(elapsed.Now(), 0ms);
    clock.Advance(0x100); // the clock reads 0
    EXPECT_EQ(elapsed.Now(), 256ms);
    clock.Advance(2000);
    EXPECT_EQ(elapsed.Now(), 2256ms);
    // Weeks of running, read every 2 s as the client does: the count never turns back.
    for (int reading = 0; reading < 3000000; ++reading) {
        clock.Advance(2000);
        (void)elapsed.Now();
    }
    EXPECT_EQ(elapsed.Now(), std::chrono::milliseconds(2256 + int64_t{3000000} * 2000));
}

TEST(ElapsedClock, AnOlderReadingCountsAsNoTime) {
    test::FakeClock clock;
    clock.Set(1000);
    ElapsedClock elapsed(clock);
    const uint32_t early = clock.NowMs();
    clock.Advance(50);
    EXPECT_EQ(elapsed.Now(), 50ms);
    EXPECT_EQ(elapsed.At(early), 50ms); // taken before the last, by another thread
    clock.Advance(10);
    EXPECT_EQ(elapsed.Now(), 60ms);
}

} // namespace
} // namespace dravo
