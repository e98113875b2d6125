// Tests of the match: rotation, end rule and simulated frags.
#include "Match.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

constexpr uint64_t MINUTE = 60000000;

LevelInfo Level(double pace = 1.0) {
    LevelInfo info;
    info.m_Title = "T";
    info.m_Spawns = 8;
    info.m_Pace = pace;
    return info;
}

GameRules Rules(uint8_t endType, int32_t frags, int32_t minutes, std::vector<std::string> levels) {
    GameRules rules;
    rules.m_EndType = endType;
    rules.m_EndFrags = frags;
    rules.m_EndMinutes = minutes;
    rules.m_Levels = std::move(levels);
    return rules;
}

Match MakeMatch(GameRules rules, std::vector<std::optional<LevelInfo>> found, uint32_t seed = 1) {
    const std::string first = rules.m_Levels.empty() ? std::string("Solo") : rules.m_Levels.front();
    return Match(std::move(rules), first, Level(), std::move(found), seed);
}

TEST(Match, RotationAdvancesAndWraps) {
    Match match = MakeMatch(Rules(4, 0, 0, {"A", "B", "C"}), {Level(), Level(), Level()});
    ClientTable clients(4);
    EXPECT_EQ(match.Current(), "A");
    EXPECT_EQ(match.Next(), "B");
    match.ChangeLevel(clients);
    match.ChangeLevel(clients);
    EXPECT_EQ(match.Current(), "C");
    EXPECT_EQ(match.Next(), "A");
    match.ChangeLevel(clients);
    EXPECT_EQ(match.Current(), "A");
}

TEST(Match, TheOperatorChoosesTheNextLevelOfTheRotation) {
    Match match = MakeMatch(Rules(4, 0, 0, {"A", "Gone", "Frostline"}), {Level(), std::nullopt, Level()});
    ClientTable clients(4);
    EXPECT_FALSE(match.ChooseNext("Gone")) << "the resources lack it";
    EXPECT_FALSE(match.ChooseNext("Nowhere"));
    EXPECT_EQ(match.Next(), "Frostline");
    ASSERT_TRUE(match.ChooseNext("a"));
    match.ChangeLevel(clients);
    EXPECT_EQ(match.Current(), "A") << "any case; the current level again is allowed";
    ASSERT_TRUE(match.ChooseNext("FROSTLINE"));
    match.ChangeLevel(clients);
    EXPECT_EQ(match.Current(), "Frostline");
    EXPECT_EQ(match.Next(), "A");
}

TEST(Match, SkipsLevelsTheResourcesLack) {
    Match match = MakeMatch(Rules(4, 0, 0, {"A", "Gone", "C", "Lost"}), {Level(), std::nullopt, Level(), std::nullopt});
    ClientTable clients(4);
    EXPECT_EQ(match.Next(), "C");
    match.ChangeLevel(clients);
    EXPECT_EQ(match.Current(), "C");
    EXPECT_EQ(match.Next(), "A");
}

TEST(Match, AWorldOutsideTheRotationIsFollowedByItsFirstLevel) {
    Match match(Rules(4, 0, 0, {"a", "b"}), "Custom", Level(), {Level(), Level()}, 1);
    EXPECT_EQ(match.Next(), "a");
    Match same(Rules(4, 0, 0, {"X", "Y"}), "x", Level(), {Level(), Level()}, 1); // letter case does not matter
    EXPECT_EQ(same.Next(), "Y");
    Match alone = MakeMatch(Rules(4, 0, 0, {}), {});
    ClientTable clients(1);
    EXPECT_EQ(alone.Next(), "Solo");
    alone.ChangeLevel(clients);
    EXPECT_EQ(alone.Current(), "Solo");
}

TEST(Match, EndsAfterTheFragLimit) {
    Match match = MakeMatch(Rules(1, 3, 1, {"A", "B"}), {Level(), Level()});
    ClientTable clients(4);
    Client& ace = *clients.Add("Ace", {1, 1}, 0);
    ace.m_Frags = 2;
    match.Play(clients, 2 * MINUTE, 0.0);
    EXPECT_FALSE(match.LevelOver(clients)); // time does not count for type 1
    ace.m_Frags = 3;
    EXPECT_TRUE(match.LevelOver(clients));
    match.ChangeLevel(clients);
    EXPECT_EQ(ace.m_Frags, 0);
    EXPECT_EQ(match.LevelTime(), 0u);
    EXPECT_FALSE(match.LevelOver(clients));
}

TEST(Match, EndsAfterTheTimeLimit) {
    Match match = MakeMatch(Rules(2, 1, 2, {"A"}), {Level()});
    ClientTable clients(4);
    clients.Add("Ace", {1, 1}, 0)->m_Frags = 50; // frags do not count for type 2
    match.Play(clients, 2 * MINUTE - 1, 0.0);
    EXPECT_FALSE(match.LevelOver(clients));
    match.Play(clients, 1, 0.0);
    EXPECT_TRUE(match.LevelOver(clients));
}

TEST(Match, EitherLimitForTypeThreeNeitherForTypeFour) {
    ClientTable clients(4);
    Client& ace = *clients.Add("Ace", {1, 1}, 0);
    Match both = MakeMatch(Rules(3, 5, 1, {"A"}), {Level()});
    ace.m_Frags = 5;
    EXPECT_TRUE(both.LevelOver(clients));
    ace.m_Frags = 0;
    both.Play(clients, MINUTE, 0.0);
    EXPECT_TRUE(both.LevelOver(clients));
    Match never = MakeMatch(Rules(4, 1, 1, {"A"}), {Level()});
    ace.m_Frags = 100;
    never.Play(clients, 100 * MINUTE, 0.0);
    EXPECT_FALSE(never.LevelOver(clients));
}

std::vector<int32_t> PlayMinutes(uint32_t seed, double rate, int players, int minutes) {
    Match match = MakeMatch(Rules(4, 0, 0, {"A"}), {Level()}, seed);
    ClientTable clients(8);
    for (int i = 0; i < players; ++i) {
        clients.Add("P" + std::to_string(i), {1, static_cast<uint16_t>(i + 1)}, 0);
    }
    for (int frame = 0; frame < minutes * 6000; ++frame) {
        match.Play(clients, 10000, rate); // 10 ms frames
    }
    std::vector<int32_t> frags;
    for (const Client& client : clients.All()) {
        frags.push_back(client.m_Frags);
    }
    return frags;
}

TEST(Match, SimulatedFragsFollowTheSeedAndTheRate) {
    const std::vector<int32_t> first = PlayMinutes(7, 4.0, 4, 10);
    EXPECT_EQ(PlayMinutes(7, 4.0, 4, 10), first);
    EXPECT_NE(PlayMinutes(8, 4.0, 4, 10), first);
    int total = 0;
    for (const int32_t frags : first) {
        total += frags;
        EXPECT_GT(frags, 0); // every player scores over 40 expected frags each
    }
    // 4 players x 4 per minute x 10 minutes = 160 expected; a Poisson count stays well within this band.
    EXPECT_GT(total, 100);
    EXPECT_LT(total, 230);
    EXPECT_EQ(PlayMinutes(7, 0.0, 4, 10), std::vector<int32_t>(4, 0));
}

TEST(Match, ALongPauseScoresABoundedNumberOfFrags) {
    Match match = MakeMatch(Rules(4, 0, 0, {"A"}), {Level()});
    ClientTable clients(2);
    clients.Add("Ace", {1, 1}, 0);
    EXPECT_EQ(match.Play(clients, 60 * MINUTE, 60.0), Match::MAX_FRAGS_PER_PLAY);
    EXPECT_LE(match.Play(clients, 10000, 60.0), 1); // nothing banked from the pause
    ClientTable empty(2);
    EXPECT_EQ(match.Play(empty, MINUTE, 60.0), 0); // nobody to score
}

TEST(Match, FragsStopAtTheFragLimit) {
    Match match = MakeMatch(Rules(1, 2, 0, {"A"}), {Level()});
    ClientTable clients(1);
    clients.Add("Ace", {1, 1}, 0);
    match.Play(clients, 60 * MINUTE, 60.0);
    EXPECT_EQ(clients.At(0)->m_Frags, 2);
    EXPECT_TRUE(match.LevelOver(clients));
}

} // namespace
} // namespace dravo::ref
