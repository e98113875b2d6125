// The two ban files: their lines read and written, damaged lines skipped, the operator's own edits of
// banned.txt kept, timed bans ending.
#include "host/game/BanStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

constexpr int64_t NOW = 1800000000;

TEST(BanBook, ARecordLineRoundTrips) {
    const BanRecord record{"Bob", NOW, NOW + 60, "remote 127.0.0.1:5000", "team\tkilling"};
    const std::string line = FormatBanRecord(record);
    EXPECT_EQ(line, "Bob\t1800000000\t1800000060\tremote 127.0.0.1:5000\tteam killing");
    std::string why;
    const std::optional<BanRecord> read = ParseBanRecord(line, why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(read->m_Reason, "team killing");
    EXPECT_EQ(read->m_Until, NOW + 60);
    EXPECT_EQ(ParseBanRecord("Ace\t0\tnever\tconsole\r", why)->m_Until, BAN_FOREVER) << "no reason, CR LF";
}

TEST(BanBook, DamagedLinesAreNamedAndSkipped) {
    const BanDetails details = ParseBanDetails("# comment\n"
                                               "Ace\t1\tnever\tconsole\tok\n"
                                               "\n"
                                               "Bob 1 never console\n"
                                               "Cid\tyesterday\tnever\tconsole\t\n"
                                               "Dee\t1\t-5\tconsole\t\n"
                                               "The Eve\t1\tnever\tconsole\t\n"
                                               "Fay\t1\t2\t\treason\n"
                                               "Gus\t1\t2000000000\tfleet");
    ASSERT_EQ(details.m_Records.size(), 2u);
    EXPECT_EQ(details.m_Records[0].m_Name, "Ace");
    EXPECT_EQ(details.m_Records[1].m_Origin, "fleet");
    std::vector<size_t> lines;
    for (const BanFileProblem& problem : details.m_Problems) {
        lines.push_back(problem.m_Line);
        EXPECT_FALSE(problem.m_What.empty());
    }
    EXPECT_EQ(lines, (std::vector<size_t>{4, 5, 6, 7, 8}));
}

TEST(BanBook, BanForGoodNeedsItsNameInTheFileAndEndedBansGo) {
    BanBook book;
    const std::vector<BanRecord> details = {{"Ace", 5, BAN_FOREVER, "console", "cheat"},
                                            {"Gone", 5, BAN_FOREVER, "console", "taken out by hand"},
                                            {"Old", 5, NOW - 1, "console", ""},
                                            {"Tim", 5, NOW + 60, "fleet", "spam"}};
    EXPECT_EQ(book.Assemble({"Ace", "Hand"}, details, NOW), 2u);
    ASSERT_EQ(book.Records().size(), 3u);
    EXPECT_EQ(book.Find("Ace")->m_Reason, "cheat");
    EXPECT_EQ(book.Find("Hand")->m_Origin, BAN_FILE_ORIGIN);
    EXPECT_EQ(book.Find("Tim")->m_Until, NOW + 60);
    EXPECT_EQ(book.Detailed().size(), 2u) << "the file's own name needs no detail line";
    EXPECT_EQ(book.DropEnded(NOW + 60), 1u);
    EXPECT_EQ(book.Find("Tim"), nullptr);
}

TEST(BanFileText, AddingAndRemovingKeepsTheRest) {
    EXPECT_EQ(AddBanFileName("Ace  Bob\n# not a comment", "Cid"), "Ace  Bob\n# not a comment\nCid\n");
    EXPECT_EQ(AddBanFileName("Ace\n", "Ace"), "Ace\n");
    EXPECT_EQ(AddBanFileName("", "Ace"), "Ace\n");
    EXPECT_EQ(RemoveBanFileName("Ace  Bob\nCid\nBob\nBobby\n", "Bob"), "Ace\nCid\nBobby\n");
    EXPECT_EQ(RemoveBanFileName("Ace\r\nBob", "Bob"), "Ace\r\n");
}

class BanStoreTest : public ::testing::Test {
protected:
    test::TempDir m_Dir;
    BanList m_List;
    int64_t m_Now = NOW;
    BanStore m_Store{m_List, [this] { return m_Now; }};

    void SetUp() override { m_Store.SetFiles({m_Dir.Path() / "banned.txt", m_Dir.Path() / "details.txt"}); }
};

TEST_F(BanStoreTest, ABanForGoodKeepsTheOperatorsEditsMadeMeanwhile) {
    m_Dir.Write("banned.txt", "Ace\n");
    (void)m_Store.Load();
    m_Dir.Write("banned.txt", "Ace\n\nHand\t\n");
    std::string error;
    ASSERT_TRUE(m_Store.Ban({"Bob", NOW, BAN_FOREVER, "console", "cheating"}, error)) << error;
    EXPECT_EQ(m_Dir.Read("banned.txt"), "Ace\n\nHand\t\nBob\n");
    EXPECT_TRUE(m_List.IsBannedAt("Bob", NOW));
    EXPECT_NE(m_Dir.Read("details.txt").find("Bob\t1800000000\tnever\tconsole\tcheating\n"), std::string::npos);

    BanList again;
    BanStore restarted(again, [] { return NOW + 1000; });
    restarted.SetFiles(m_Store.Files());
    (void)restarted.Load();
    ASSERT_EQ(restarted.Bans().size(), 3u);
    EXPECT_EQ(restarted.Bans().back().m_Reason, "cheating") << "Bob's details stay with him";
    EXPECT_TRUE(again.IsBannedAt("Hand", NOW));
}

TEST_F(BanStoreTest, ATimedBanEndsAndLeavesBannedTxtAlone) {
    std::string error;
    ASSERT_TRUE(m_Store.Ban({"Tim", NOW, NOW + 60, "remote 127.0.0.1:5000", ""}, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(m_Dir.Path() / "banned.txt"));
    EXPECT_TRUE(m_List.IsBannedAt("Tim", NOW + 59));
    EXPECT_FALSE(m_List.IsBannedAt("Tim", NOW + 60));
    m_Now = NOW + 60;
    EXPECT_TRUE(m_Store.Bans().empty());
    const BanStoreLoad load = m_Store.Load();
    EXPECT_EQ(load.m_Dropped, 1u);
}

TEST_F(BanStoreTest, UnbanTakesTheNameOutOfBothFiles) {
    m_Dir.Write("banned.txt", "Ace Bob\nCid\n");
    (void)m_Store.Load();
    std::string error;
    ASSERT_TRUE(m_Store.Ban({"Tim", NOW, NOW + 60, "console", ""}, error));
    ASSERT_TRUE(m_Store.Unban("Bob", error)) << error;
    ASSERT_TRUE(m_Store.Unban("Tim", error)) << error;
    EXPECT_EQ(m_Dir.Read("banned.txt"), "Ace\nCid\n");
    EXPECT_EQ(m_Dir.Read("details.txt").find("Tim"), std::string::npos);
    EXPECT_FALSE(m_List.IsBannedAt("Bob", NOW));
    EXPECT_FALSE(m_Store.Unban("Nobody", error));
    EXPECT_NE(error.find("nobody named Nobody"), std::string::npos);
}

TEST_F(BanStoreTest, ATimedBanReplacesABanForGood) {
    m_Dir.Write("banned.txt", "Ace\n");
    (void)m_Store.Load();
    std::string error;
    ASSERT_TRUE(m_Store.Ban({"Ace", NOW, NOW + 60, "console", "softened"}, error)) << error;
    EXPECT_EQ(m_Dir.Read("banned.txt"), "");
    ASSERT_EQ(m_Store.Bans().size(), 1u);
    EXPECT_EQ(m_Store.Bans().front().m_Until, NOW + 60);
}

TEST_F(BanStoreTest, DamagedDetailLinesDoNotStopTheLoad) {
    m_Dir.Write("banned.txt", "Ace\n");
    m_Dir.Write("details.txt", "garbage\nTim\t1\t1900000000\tfleet\twhy\n");
    const BanStoreLoad load = m_Store.Load();
    ASSERT_EQ(load.m_Problems.size(), 1u);
    EXPECT_EQ(load.m_Problems.front().m_Line, 1u);
    EXPECT_EQ(m_Store.Bans().size(), 2u);
    EXPECT_TRUE(m_List.IsBannedAt("Tim", NOW));
}

} // namespace
} // namespace dravo
