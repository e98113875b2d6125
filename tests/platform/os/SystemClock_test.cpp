// The system clock moves forward and sleeps at least as long as asked.
#include "platform/os/Clock.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SystemClock, SleepAdvancesTime) {
    auto clock = CreateSystemClock();
    const uint32_t before = clock->NowMs();
    clock->SleepMs(20);
    EXPECT_GE(static_cast<uint32_t>(clock->NowMs() - before), 19u);
}

} // namespace
} // namespace dravo
