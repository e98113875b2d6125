// Reading the operator's arguments: durations, players by id or name, quoted reasons, level names.
#include "host/commands/CommandArguments.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

int64_t Seconds(std::string_view word) {
    int64_t seconds = -1;
    return ParseDuration(word, seconds) == DurationRead::Valid ? seconds : -1;
}

TEST(CommandArguments, DurationsTakeTheirUnitInEitherCase) {
    EXPECT_EQ(Seconds("90s"), 90);
    EXPECT_EQ(Seconds("30m"), 1800);
    EXPECT_EQ(Seconds("2H"), 7200);
    EXPECT_EQ(Seconds("7d"), 7 * 86400);
    EXPECT_EQ(Seconds("1w"), 7 * 86400);
    EXPECT_EQ(Seconds("1h30m"), 5400);
}

TEST(CommandArguments, BadDurationsAreTold) {
    int64_t seconds = 0;
    for (const char* word : {"30", "5x", "0m", "1h30", "99999999999999999999s", "3651d", "1m-1s"}) {
        EXPECT_EQ(ParseDuration(word, seconds), DurationRead::Invalid) << word;
    }
    EXPECT_EQ(ParseDuration("cheating", seconds), DurationRead::NotADuration);
    EXPECT_EQ(ParseDuration("", seconds), DurationRead::NotADuration);
    EXPECT_EQ(ParseDuration("3650d", seconds), DurationRead::Valid) << "ten years is the most";
}

TEST(CommandArguments, DurationsShowTheirTwoLargestUnits) {
    EXPECT_EQ(FormatDuration(0), "0s");
    EXPECT_EQ(FormatDuration(59), "59s");
    EXPECT_EQ(FormatDuration(3599), "59m 59s");
    EXPECT_EQ(FormatDuration(86400 + 3 * 3600 + 5), "1d 3h");
    EXPECT_EQ(FormatDuration(86400 + 5), "1d");
}

TEST(CommandArguments, BanTakesTargetDurationAndQuotedReason) {
    std::string error;
    auto parsed = ParseTargetArguments("ban \"Big Bob\" 2h \"team killing\"", true, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->m_Target, "Big Bob");
    EXPECT_EQ(parsed->m_Seconds, 7200);
    EXPECT_EQ(parsed->m_Reason, "team killing");

    parsed = ParseTargetArguments("ban Bob spamming the chat", true, error);
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(parsed->m_Seconds) << "no duration: for good";
    EXPECT_EQ(parsed->m_Reason, "spamming the chat");

    parsed = ParseTargetArguments("kick 7 2h late", false, error);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->m_Reason, "2h late") << "kick takes no duration";
}

TEST(CommandArguments, MissingTargetAndBadDurationAreNamed) {
    std::string error;
    EXPECT_FALSE(ParseTargetArguments("ban", true, error));
    EXPECT_NE(error.find("id or whole name"), std::string::npos);
    EXPECT_FALSE(ParseTargetArguments("ban Bob 30 cheating", true, error));
    EXPECT_NE(error.find("\"30\" is no duration"), std::string::npos);
    EXPECT_FALSE(ParseTargetArguments("ban \"\"", true, error));
}

TEST(CommandArguments, TargetsMatchAnIdOrTheWholeExactName) {
    const std::vector<RosterPlayer> roster = {
        {3, "Ace", 0, 0, 0}, {7, "Bob", 0, 0, 0}, {9, "Bob", 0, 0, 0}, {12, "3", 0, 0, 0}};
    EXPECT_EQ(FindTargets(roster, "7").front().m_Name, "Bob");
    EXPECT_EQ(FindTargets(roster, "3").front().m_Id, 3u) << "an id first";
    EXPECT_EQ(FindTargets(roster, "Bob").size(), 2u) << "two players of the name";
    EXPECT_TRUE(FindTargets(roster, "ace").empty()) << "names match exactly";
    EXPECT_TRUE(FindTargets(roster, "Ac").empty());
    EXPECT_TRUE(FindTargets(roster, "0").empty());
    EXPECT_TRUE(FindTargets(roster, "99999999999").empty());
}

TEST(CommandArguments, LevelsMatchWholeNamesOrUniqueBeginningsInAnyCase) {
    const std::vector<std::string> rotation = {"Frostline", "Foundry", "Basin", "Basin2"};
    EXPECT_EQ(MatchLevels(rotation, "frost"), std::vector<std::string>{"Frostline"});
    EXPECT_EQ(MatchLevels(rotation, "F").size(), 2u);
    EXPECT_EQ(MatchLevels(rotation, "BASIN"), std::vector<std::string>{"Basin"}) << "a whole name wins";
    EXPECT_TRUE(MatchLevels(rotation, "Dune").empty());
    EXPECT_TRUE(MatchLevels(rotation, "").empty());
    const std::vector<std::string> folders = {"Worlds\\Multi\\Frostline", "Worlds\\Multi\\Cinderworks"};
    EXPECT_EQ(MatchLevels(folders, "frostline"), std::vector<std::string>{"Worlds\\Multi\\Frostline"});
    EXPECT_EQ(MatchLevels(folders, "Cinder"), std::vector<std::string>{"Worlds\\Multi\\Cinderworks"});
    EXPECT_EQ(MatchLevels(folders, "worlds\\multi\\f"), std::vector<std::string>{"Worlds\\Multi\\Frostline"});
}

} // namespace
} // namespace dravo
