// An allocation's level, reached through the rotation one Next Level at a time.
#include "services/fleet/LevelSeek.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

SessionSnapshot Facts(const std::string& level, uint64_t changes = 0) {
    SessionSnapshot facts;
    facts.m_Phase = HostingPhase::Running;
    facts.m_Game.m_Rotation = {"Worlds\\Multi\\Cinderworks", "Worlds\\Multi\\Frostline", "Glasshouse"};
    facts.m_Level = level;
    facts.m_LevelChanges = changes;
    return facts;
}

TEST(LevelSeek, LevelsMatchByWholeNameOrLastPartInAnyCase) {
    EXPECT_TRUE(SameLevel("frostline", "Worlds\\Multi\\Frostline"));
    EXPECT_TRUE(SameLevel("Worlds/Multi/FROSTLINE", "Worlds\\Multi\\Frostline"));
    EXPECT_TRUE(SameLevel("Glasshouse", "Glasshouse"));
    EXPECT_FALSE(SameLevel("Frost", "Worlds\\Multi\\Frostline"));
    EXPECT_FALSE(SameLevel("", "Glasshouse"));
}

TEST(LevelSeek, StepsThroughTheRotationUntilTheLevelIsPlayed) {
    LevelSeek seek;
    const LevelSeek::Time start{5000};
    EXPECT_NE(seek.Start("glasshouse", Facts("Worlds\\Multi\\Cinderworks")).find("moving through"), std::string::npos);
    std::string line;
    EXPECT_TRUE(seek.Step(Facts("Worlds\\Multi\\Cinderworks"), start, line));
    // Until the game reports its level change, nothing more is asked.
    EXPECT_FALSE(seek.Step(Facts("Worlds\\Multi\\Cinderworks"), start + 1s, line));
    EXPECT_TRUE(seek.Step(Facts("Worlds\\Multi\\Frostline", 1), start + 2s, line));
    EXPECT_FALSE(seek.Step(Facts("Glasshouse", 2), start + 3s, line));
    EXPECT_NE(line.find("is played, as the allocation asked"), std::string::npos);
    EXPECT_FALSE(seek.IsActive());
}

TEST(LevelSeek, ALevelOutsideTheRotationOrAlreadyPlayedChangesNothing) {
    LevelSeek seek;
    EXPECT_NE(seek.Start("Nowhere", Facts("Glasshouse")).find("not in the rotation"), std::string::npos);
    EXPECT_FALSE(seek.IsActive());
    EXPECT_NE(seek.Start("Worlds\\Multi\\Glasshouse", Facts("Glasshouse")).find("being played"), std::string::npos);
    EXPECT_FALSE(seek.IsActive());
    std::string line;
    EXPECT_FALSE(seek.Step(Facts("Glasshouse"), LevelSeek::Time{0}, line));
}

TEST(LevelSeek, AGameThatDoesNotChangeLevelOrSkipsTheLevelEndsTheSeek) {
    LevelSeek seek;
    const LevelSeek::Time start{5000};
    (void)seek.Start("Frostline", Facts("Glasshouse"));
    std::string line;
    ASSERT_TRUE(seek.Step(Facts("Glasshouse"), start, line));
    EXPECT_FALSE(seek.Step(Facts("Glasshouse"), start + LEVEL_STEP_LIMIT - 1ms, line));
    EXPECT_TRUE(seek.IsActive()) << line; // the game still has a moment
    EXPECT_FALSE(seek.Step(Facts("Glasshouse"), start + LEVEL_STEP_LIMIT, line));
    EXPECT_NE(line.find("did not change"), std::string::npos);
    EXPECT_FALSE(seek.IsActive());

    // A rotation that never comes to it: once round, then no more.
    (void)seek.Start("Frostline", Facts("Glasshouse"));
    uint64_t changes = 0;
    int presses = 0;
    line.clear();
    while (seek.Step(Facts("Glasshouse", changes), start, line)) {
        ++presses;
        ++changes;
    }
    EXPECT_EQ(presses, 3);
    EXPECT_NE(line.find("was not reached"), std::string::npos);
}

} // namespace
} // namespace dravo
