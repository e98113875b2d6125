// One axis of a terminal layout: distances kept, room shared, places close together on one cell.
#include "window/terminal/TerminalAxis.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(TerminalAxis, KeepsRequiredDistancesAndSpreadsTheRestInProportion) {
    TerminalAxis axis(100, 1);
    axis.Require(0, 10, 8); // a label of 8 cells in 10 units
    axis.Require(10, 100, 1, 10.0);
    ASSERT_TRUE(axis.Solve(40, 3.0, true));
    EXPECT_EQ(axis.Cell(0), 0);
    EXPECT_GE(axis.Cell(10), 8);
    EXPECT_LE(axis.Extent(), 40);
    EXPECT_GE(axis.Extent(), 38) << "data grows until the room is used";
    EXPECT_GT(axis.Scale(), 2.9);
}

TEST(TerminalAxis, DataStopsGrowingAtTheLargestScale) {
    TerminalAxis axis(40, 1);
    axis.Require(0, 40, 1, 10.0);
    ASSERT_TRUE(axis.Solve(200, 2.0, true));
    EXPECT_EQ(axis.Extent(), 20);
}

TEST(TerminalAxis, DataMinimumsAreKeptOnlyWhenAskedAndWhenTheyFit) {
    TerminalAxis kept(50, 1);
    kept.Require(0, 50, 1, 2.0, 25);
    ASSERT_TRUE(kept.Solve(30, 2.0, true));
    EXPECT_GE(kept.Extent(), 25);

    TerminalAxis tooBig(50, 1);
    tooBig.Require(0, 50, 1, 2.0, 25);
    EXPECT_FALSE(tooBig.Solve(20, 2.0, true));
    EXPECT_EQ(tooBig.Extent(), 25) << "packed as tight as it goes, for clipping";

    TerminalAxis dropped(50, 1);
    dropped.Require(0, 50, 1, 2.0, 25);
    EXPECT_TRUE(dropped.Solve(20, 2.0, false));
}

TEST(TerminalAxis, PlacesCloseTogetherShareACellAndNeverGoBackwards) {
    TerminalAxis axis(150, 4);
    axis.AddPlace(22); // a field's top
    axis.AddPlace(23); // its label's top, a unit lower
    axis.Require(22, 34, 1);
    axis.Require(23, 31, 1);
    axis.Require(40, 60, 1);
    ASSERT_TRUE(axis.Solve(10, 1.0, true));
    EXPECT_EQ(axis.Cell(22), axis.Cell(23));
    int previous = 0;
    for (const int units : {0, 22, 23, 31, 34, 40, 60, 150}) {
        EXPECT_GE(axis.Cell(units), previous) << units;
        previous = axis.Cell(units);
    }
    EXPECT_GE(axis.Cell(60) - axis.Cell(40), 1);
}

} // namespace
} // namespace dravo
