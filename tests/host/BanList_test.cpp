// Reading the ban list and matching names against it.
#include "host/BanList.h"
#include "support/TempDir.h"

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

    bool Load(const std::string& content) { return m_Bans.LoadBanList(m_Dir.Write("banned.txt", content)); }
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

TEST_F(BanListTest, UnopenableFileIsRefusedAndChangesNothing) {
    ASSERT_TRUE(Load("Ace"));
    EXPECT_FALSE(m_Bans.LoadBanList(m_Dir.Path() / "missing.txt"));
    std::filesystem::create_directory(m_Dir.Path() / "folder");
    EXPECT_FALSE(m_Bans.LoadBanList(m_Dir.Path() / "folder"));
    EXPECT_EQ(m_Bans.Names(), Names{"Ace"});
}

TEST_F(BanListTest, LongWordIsCut) {
    const std::string exact(MAX_BANNED_NAME_CHARS, 'x');
    const std::string cut(MAX_BANNED_NAME_CHARS, 'L');
    const std::string huge(4'000'000, 'h');
    ASSERT_TRUE(Load(exact + "\n" + cut + "onger\n" + cut + "ost\t" + huge + " Bob"));
    EXPECT_EQ(m_Bans.Names(), (Names{exact, cut, huge.substr(0, MAX_BANNED_NAME_CHARS), "Bob"}));
    EXPECT_TRUE(m_Bans.IsBanned(cut));
    EXPECT_FALSE(m_Bans.IsBanned(cut + "onger"));
}

} // namespace
} // namespace dravo
