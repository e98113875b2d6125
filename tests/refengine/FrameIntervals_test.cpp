// Tests of the frame interval histogram.
#include "FrameIntervals.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

TEST(FrameIntervals, PercentilesAndLongest) {
    FrameIntervals intervals;
    EXPECT_EQ(intervals.Percentile(0.5), 0u);
    uint64_t now = 1000000;
    intervals.Frame(now); // the first frame starts the count
    for (int i = 0; i < 98; ++i) {
        intervals.Frame(now += 9000);
    }
    intervals.Frame(now += 30000);
    intervals.Frame(now += 500000); // beyond the last bin
    EXPECT_EQ(intervals.Count(), 100u);
    EXPECT_EQ(intervals.Percentile(0.50), 9100u); // upper edge of the 9.0-9.1 ms bin
    EXPECT_EQ(intervals.Percentile(0.99), 30100u);
    EXPECT_EQ(intervals.Percentile(1.0), 500000u);
    EXPECT_EQ(intervals.Longest(), 500000u);
    EXPECT_EQ(intervals.Report(), "frameintervals: 100 intervals, p50 9.1 ms, p99 30.1 ms, max 500.0 ms");
}

TEST(FrameIntervals, ResetForgetsAndAClockGoingBackIsNotCounted) {
    FrameIntervals intervals;
    intervals.Frame(100);
    intervals.Frame(5000);
    EXPECT_EQ(intervals.Count(), 1u);
    intervals.Frame(10); // earlier than the previous frame
    EXPECT_EQ(intervals.Count(), 1u);
    intervals.Reset();
    EXPECT_EQ(intervals.Count(), 0u);
    EXPECT_EQ(intervals.Longest(), 0u);
    intervals.Frame(7000);
    EXPECT_EQ(intervals.Count(), 0u);
    EXPECT_EQ(intervals.Report(), "frameintervals: 0 intervals, p50 0.0 ms, p99 0.0 ms, max 0.0 ms");
}

} // namespace
} // namespace dravo::ref
