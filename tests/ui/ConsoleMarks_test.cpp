// The console window's marks on their own: the level played in the rotation, and log lines kept with
// their capture times.
#include "ui/ConsoleMarks.h"

#include "platform/os/LocalTime.h"

#include <gtest/gtest.h>

#include <ctime>

namespace dravo {
namespace {

TEST(LevelMarksTest, TheGamesNameFindsItsEntryByPathOrByNameInAnyCase) {
    LevelMarks marks({"Worlds\\Multi\\Cinderworks", "Worlds\\Multi\\Frostline", "Arena"});
    EXPECT_EQ(marks.Played(), std::nullopt);
    EXPECT_EQ(marks.Text(0), "  Worlds\\Multi\\Cinderworks");
    EXPECT_EQ(marks.SetPlayed("Worlds\\Multi\\Frostline"), 1u);
    EXPECT_EQ(marks.Text(1), "* Worlds\\Multi\\Frostline");
    EXPECT_EQ(marks.Text(0), "  Worlds\\Multi\\Cinderworks") << "one mark at a time";
    EXPECT_EQ(marks.SetPlayed("cinderworks"), 0u);
    EXPECT_EQ(marks.SetPlayed("Worlds/Multi/ARENA"), 2u);
    EXPECT_EQ(marks.Text(2), "* Arena");
    // A level outside the rotation (a console's "map" command) leaves no entry marked.
    EXPECT_EQ(marks.SetPlayed("Worlds\\Secret"), std::nullopt);
    EXPECT_EQ(marks.Text(2), "  Arena");
    EXPECT_EQ(marks.SetPlayed(""), std::nullopt);
    EXPECT_EQ(marks.Text(7), "") << "past the end";
}

TEST(LevelMarksTest, ARepeatedLevelIsMarkedWhereTheRotationHasGotTo) {
    LevelMarks marks({"Arena", "Frostline", "Arena", "Frostline"});
    EXPECT_EQ(marks.SetPlayed("Arena"), 0u);
    EXPECT_EQ(marks.SetPlayed("Arena"), 0u) << "every state update names the level again";
    EXPECT_EQ(marks.SetPlayed("Frostline"), 1u);
    EXPECT_EQ(marks.SetPlayed("Arena"), 2u);
    EXPECT_EQ(marks.SetPlayed("Frostline"), 3u);
    EXPECT_EQ(marks.SetPlayed("Arena"), 0u) << "round again";
    LevelMarks none({});
    EXPECT_EQ(none.SetPlayed("Arena"), std::nullopt);
}

TEST(ConsoleLogLinesTest, TimesAndMarkersAreAddedToTheViewAndRedrawnUnchanged) {
    ConsoleLogLines lines(3);
    EXPECT_EQ(lines.Add("Server is running.", false, "09:00:01"), "Server is running.");
    EXPECT_EQ(lines.Add("status", true, "09:00:02"), "> status");
    EXPECT_EQ(lines.Text(), "Server is running.\r\n> status\r\n");
    lines.ShowTimes(true);
    EXPECT_TRUE(lines.ShowsTimes());
    EXPECT_EQ(lines.Text(), "09:00:01 Server is running.\r\n09:00:02 > status\r\n");
    EXPECT_EQ(lines.Add("Players: 0", false, "09:00:03"), "09:00:03 Players: 0");
    EXPECT_EQ(lines.Add("Name: Night Owls", false, "09:00:04"), "09:00:04 Name: Night Owls");
    EXPECT_EQ(lines.Count(), 3u) << "the oldest went";
    EXPECT_EQ(lines.Text(), "09:00:02 > status\r\n09:00:03 Players: 0\r\n09:00:04 Name: Night Owls\r\n");
    lines.ShowTimes(false);
    EXPECT_EQ(lines.Text(), "> status\r\nPlayers: 0\r\nName: Night Owls\r\n");
    lines.Clear();
    EXPECT_EQ(lines.Text(), "");
}

TEST(ClockTextTest, HoursMinutesAndSecondsOfTheLocalTime) {
    const std::time_t moment = 1'700'000'000;
    const std::tm local = ToLocalTime(moment).m_Fields;
    char expected[16];
    ASSERT_EQ(std::strftime(expected, sizeof expected, "%H:%M:%S", &local), 8u);
    EXPECT_EQ(ClockText(moment), expected);
    EXPECT_EQ(ClockText(moment + 61).size(), 8u);
}

} // namespace
} // namespace dravo
