// What was spent over the last second.
#include "net/query/SpendWindow.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SpendWindow, CountsWhatWasSpentWithinTheLastSecond) {
    SpendWindow window;
    EXPECT_EQ(window.Spent(5000), 0);
    window.Spend(5000, 100);
    window.Spend(5500, 50);
    EXPECT_EQ(window.Spent(5500), 150);
    EXPECT_EQ(window.Spent(5999), 150);
    EXPECT_EQ(window.Spent(6000), 50); // the first spending is a second old
    EXPECT_EQ(window.Spent(6499), 50);
    EXPECT_EQ(window.Spent(6500), 0);
}

TEST(SpendWindow, NothingSavedWhileQuietAddsToASecond) {
    SpendWindow window;
    window.Spend(0, 10);
    // Long quiet, then a second of spending: the window never holds more than that second's.
    int64_t most = 0;
    for (uint32_t now = 100000; now < 102000; now += 10) {
        window.Spend(now, 1);
        most = std::max(most, window.Spent(now));
    }
    EXPECT_EQ(most, 100);
}

TEST(SpendWindow, AClockThatWrapsOrGoesBackStartsAfresh) {
    SpendWindow window;
    window.Spend(0xFFFFFF00u, 7);
    EXPECT_EQ(window.Spent(0x00000100u), 7); // 512 ms later, across the wrap
    EXPECT_EQ(window.Spent(0x00000400u), 0);
    window.Spend(0x00000400u, 3);
    EXPECT_EQ(window.Spent(0x00000300u), 0); // back in time: nothing is trusted
    window.Spend(1000, 4);
    window.Clear();
    EXPECT_EQ(window.Spent(1000), 0);
}

} // namespace
} // namespace dravo
