// Tests of reading the front end's rules record.
#include "GameRules.h"

#include "engine/HostingRecords.h"

#include <cstring>
#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

static_assert(GameRules::GAME_RULES_SIZE == sizeof(GameInfo));

TEST(GameRules, ReadsTheFrontEndsRecord) {
    GameInfo info{};
    info.m_GameType = 1;
    info.m_EndType = 3;
    info.m_EndFrags = 25;
    info.m_EndTime = -7;
    info.m_LevelCount = 3;
    std::strcpy(info.m_LevelNames[0], "Worlds\\Multi\\Cinderworks");
    std::strcpy(info.m_LevelNames[1], "Glasshouse");
    std::strcpy(info.m_LevelNames[2], "Worlds\\Multi\\Frostline");
    std::strcpy(info.m_LevelNames[3], "NotCounted");
    std::string error;
    const auto rules = GameRules::Parse(&info, sizeof info, error);
    ASSERT_TRUE(rules) << error;
    EXPECT_EQ(rules->m_EndType, 3);
    EXPECT_EQ(rules->m_EndFrags, 25);
    EXPECT_EQ(rules->m_EndMinutes, -7);
    EXPECT_EQ(rules->m_Levels,
              (std::vector<std::string>{"Worlds\\Multi\\Cinderworks", "Glasshouse", "Worlds\\Multi\\Frostline"}));
    EXPECT_TRUE(rules->EndsOnFrags());
    EXPECT_FALSE(rules->EndsOnTime()); // a negative limit is no limit
}

TEST(GameRules, ReadsEverySlotWithinItsBytesAndAtMostFiftyLevels) {
    GameInfo info{};
    info.m_LevelCount = 255;
    std::memset(info.m_LevelNames, 'x', sizeof info.m_LevelNames); // no slot is terminated
    std::memset(info.m_Reserved6413, 'y', sizeof info.m_Reserved6413);
    std::string error;
    const auto rules = GameRules::Parse(&info, sizeof info, error);
    ASSERT_TRUE(rules);
    ASSERT_EQ(rules->m_Levels.size(), 50u);
    for (const std::string& level : rules->m_Levels) {
        EXPECT_EQ(level, std::string(128, 'x'));
    }
}

TEST(GameRules, LeavesOutEmptySlots) {
    GameInfo info{};
    info.m_LevelCount = 3;
    std::strcpy(info.m_LevelNames[1], "Glasshouse");
    std::string error;
    EXPECT_EQ(GameRules::Parse(&info, sizeof info, error)->m_Levels, std::vector<std::string>{"Glasshouse"});
}

TEST(GameRules, RefusesAMissingOrWronglySizedRecord) {
    GameInfo info{};
    std::string error;
    EXPECT_FALSE(GameRules::Parse(nullptr, sizeof info, error));
    EXPECT_NE(error.find("6416"), std::string::npos);
    EXPECT_FALSE(GameRules::Parse(&info, sizeof info - 1, error));
    EXPECT_FALSE(GameRules::Parse(&info, 0, error));
}

TEST(GameRules, EndTypes) {
    GameRules rules;
    rules.m_EndFrags = 10;
    rules.m_EndMinutes = 5;
    const std::pair<uint8_t, std::pair<bool, bool>> expected[] = {{1, {true, false}},  {2, {false, true}},
                                                                  {3, {true, true}},   {4, {false, false}},
                                                                  {0, {false, false}}, {9, {false, false}}};
    for (const auto& [type, ends] : expected) {
        rules.m_EndType = type;
        EXPECT_EQ(rules.EndsOnFrags(), ends.first) << int(type);
        EXPECT_EQ(rules.EndsOnTime(), ends.second) << int(type);
    }
    rules.m_EndType = 3;
    rules.m_EndFrags = 0;
    EXPECT_FALSE(rules.EndsOnFrags());
}

} // namespace
} // namespace dravo::ref
