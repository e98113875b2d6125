// Tests of the level file format.
#include "LevelInfo.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

TEST(LevelInfo, ReadsKeysWithoutRegardToCase) {
    std::string error;
    const std::optional<LevelInfo> level = LevelInfo::Parse("# comment\r\n"
                                                            "TITLE = Frostline \r\n"
                                                            "spawns=16\n"
                                                            "Pace=0.9\n"
                                                            "Author=Someone\n"
                                                            "Description=Snow = cold\n"
                                                            "FutureKey=ignored\n",
                                                            error);
    ASSERT_TRUE(level.has_value()) << error;
    EXPECT_EQ(level->m_Title, "Frostline");
    EXPECT_EQ(level->m_Spawns, 16);
    EXPECT_DOUBLE_EQ(level->m_Pace, 0.9);
    EXPECT_EQ(level->m_Author, "Someone");
    EXPECT_EQ(level->m_Description, "Snow = cold");
}

TEST(LevelInfo, PaceDefaultsToOne) {
    std::string error;
    const std::optional<LevelInfo> level = LevelInfo::Parse("Title=A\nSpawns=1\n", error);
    ASSERT_TRUE(level.has_value()) << error;
    EXPECT_DOUBLE_EQ(level->m_Pace, 1.0);
}

TEST(LevelInfo, RefusesBrokenFiles) {
    for (const char* text :
         {"", "Title=A\n", "Spawns=4\n", "Title=A\nSpawns=0\n", "Title=A\nSpawns=129\n", "Title=A\nSpawns=many\n",
          "Title=A\nSpawns=4\nPace=0\n", "Title=A\nSpawns=4\nPace=x\n", "Title=A\nSpawns=4\njust words\n"}) {
        std::string error;
        EXPECT_FALSE(LevelInfo::Parse(text, error).has_value()) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

} // namespace
} // namespace dravo::ref
