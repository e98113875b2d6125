// Reading the ban list and matching names against it.
#include "host/game/BanList.h"
#include "support/TempDir.h"

#include "support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravo {
namespace {

using Names = std::vector<std::string>;

class BanListTest : public ::testing::Test {
protected:
    test::TempDir m_Dir;
    BanList m_Bans;

    bool Load(const std::string& content) { return m_Bans.LoadBanList(m_Dir.Write("banned.txt", content)).m_Loaded; }
};

TEST_F(BanListTest, EachNameOnceInOrderOfFirstAppearance) {
    EXPECT_TRUE(Load("Ace  Bob\nAce\n"));
    EXPECT_EQ(m_Bans.Names(), (Names{"Ace", "Bob"}));
    EXPECT_TRUE(Load("\t Cid\r\n\n  Bob\tDee \v\fEve"));
    EXPECT_EQ(m_Bans.Names(), (Names{"Ace", "Bob", "Cid", "Dee", "Eve"}));
}

TEST_F(BanListTest, NamesMatchExactlyAndWhole) {
    ASSERT_TRUE(Load("ace\nBob"));
    EXPECT_FALSE(m_Bans.IsBanned("Ace"));
    EXPECT_TRUE(m_Bans.IsBanned("ace"));
    EXPECT_TRUE(m_Bans.IsBanned("Bob"));
    EXPECT_FALSE(m_Bans.IsBanned("Bob2"));
    EXPECT_FALSE(m_Bans.IsBanned("The Bob"));
    EXPECT_FALSE(m_Bans.IsBanned("Bo"));
    EXPECT_FALSE(m_Bans.IsBanned(""));
}

TEST_F(BanListTest, NameWithBlankCannotBeMatched) {
    ASSERT_TRUE(Load("The Ace\n"));
    EXPECT_EQ(m_Bans.Names(), (Names{"The", "Ace"}));
    EXPECT_FALSE(m_Bans.IsBanned("The Ace"));
}

TEST_F(BanListTest, FileWithoutWordsGivesEmptyList) {
    EXPECT_TRUE(Load(""));
    EXPECT_TRUE(Load(" \n\t\r\n"));
    EXPECT_TRUE(m_Bans.Names().empty());
}

TEST_F(BanListTest, OnlyARegularFileIsReadAndNothingElseChangesTheList) {
    ASSERT_TRUE(Load("Ace"));
    EXPECT_FALSE(m_Bans.LoadBanList(m_Dir.Path() / "missing.txt").m_Loaded);
    std::filesystem::create_directory(m_Dir.Path() / "folder");
    EXPECT_FALSE(m_Bans.LoadBanList(m_Dir.Path() / "folder").m_Loaded);
    // A FIFO would block a reader until a writer came; a device would never end.
    if (test::MakeFifo(m_Dir.Path() / "fifo")) {
        EXPECT_FALSE(m_Bans.LoadBanList(m_Dir.Path() / "fifo").m_Loaded);
    }
    if (test::LinkEndlessDevice(m_Dir.Path() / "zero")) {
        EXPECT_FALSE(m_Bans.LoadBanList(m_Dir.Path() / "zero").m_Loaded);
    }
    EXPECT_EQ(m_Bans.Names(), Names{"Ace"});
}

TEST_F(BanListTest, WholeNamesUpToSixtyThreeCharactersAndNothingCut) {
    const std::string forty(40, 'f');
    const std::string longest(MAX_BANNED_NAME_CHARS, 'x');
    const std::string tooLong(MAX_BANNED_NAME_CHARS + 1, 'y');
    const BanListLoad load =
        m_Bans.LoadBanList(m_Dir.Write("banned.txt", forty + "\n" + longest + " " + tooLong + " Bob"));
    EXPECT_TRUE(load.m_Loaded);
    EXPECT_EQ(load.m_TooLong, 1u);
    EXPECT_EQ(m_Bans.Names(), (Names{forty, longest, "Bob"}));
    EXPECT_TRUE(m_Bans.IsBanned(forty));
    EXPECT_FALSE(m_Bans.IsBanned(forty.substr(0, 31))); // a player named like the old cut is not banned
    EXPECT_FALSE(m_Bans.IsBanned(tooLong.substr(0, MAX_BANNED_NAME_CHARS)));
}

TEST_F(BanListTest, AFileBeyondTheLimitIsReadUpToIt) {
    std::string text(MAX_BAN_FILE_BYTES - 4, ' ');
    text += "Ace Bob";
    const BanListLoad load = m_Bans.LoadBanList(m_Dir.Write("banned.txt", text));
    EXPECT_TRUE(load.m_Cut);
    EXPECT_EQ(m_Bans.Names(), Names{"Ace"}); // "Bob" lies beyond the limit
}

} // namespace
} // namespace dravo
