// What the info, rules and players answers say about the hosted game.
#include "net/ReporterFixture.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

class ServerStatusReporterTest : public test::ReporterTest {
protected:
    test::RecordingSendHook m_Hook;

    void SetUp() override {
        ReporterTest::SetUp();
        Start();
        m_Reporter.SetSendHook(&m_Hook);
        (void)m_Reporter.Process(); // the heartbeat, out of the way
    }
    // The pairs of a one-packet answer to a game-port query, without the trailer.
    std::string Pairs(const std::string& query) {
        m_Hook.m_Sent.clear();
        EXPECT_EQ(AskGamePort(Peer("127.0.0.1", 9), query), 1);
        if (m_Hook.m_Sent.empty()) {
            return "";
        }
        EXPECT_EQ(m_Hook.m_Sent.size(), 1u);
        const std::string& data = m_Hook.m_Sent[0].m_Data;
        return data.substr(0, data.find("\\final\\"));
    }
};

TEST_F(ServerStatusReporterTest, MapNameIsTheLevelAfterItsLastBackslash) {
    EXPECT_EQ(ServerStatusReporter::MapName("Worlds\\Multi\\Arena"), "Arena");
    EXPECT_EQ(ServerStatusReporter::MapName("Arena"), "Arena");
    EXPECT_EQ(ServerStatusReporter::MapName("Worlds\\"), "Worlds\\");
    EXPECT_EQ(ServerStatusReporter::MapName("\\a"), "\\a"); // two characters: whole
    EXPECT_EQ(ServerStatusReporter::MapName("\\ab"), "ab");
    EXPECT_EQ(ServerStatusReporter::MapName("Worlds/Multi/Arena.dat"), "Worlds/Multi/Arena.dat");
    EXPECT_EQ(ServerStatusReporter::MapName(""), "");
}

TEST_F(ServerStatusReporterTest, InfoReadsTheLiveGameAndLabels) {
    AddPlayer("Ace", 1, 2);
    m_Status.SetLevel("Worlds\\Multi\\Frostline");
    m_Reporter.SetLabels("ctf", "closedplaying");
    EXPECT_EQ(Pairs("\\info\\"), "\\hostname\\Test Server\\hostport\\27960\\mapname\\Frostline\\gametype\\ctf"
                                 "\\numplayers\\1\\maxplayers\\16\\gamemode\\closedplaying");
    // A level that ends in a backslash goes out whole, with its backslash made harmless.
    m_Status.SetLevel("Worlds\\");
    EXPECT_NE(Pairs("\\info\\").find("\\mapname\\Worlds/\\gametype\\"), std::string::npos);
}

TEST_F(ServerStatusReporterTest, RulesCarryTheLimitsTheEndRuleUses) {
    const std::pair<uint8_t, const char*> cases[] = {
        {END_AFTER_FRAGS, "\\timelimit\\0\\fraglimit\\25"},
        {END_AFTER_TIME, "\\timelimit\\10\\fraglimit\\0"},
        {END_AFTER_FRAGS_OR_TIME, "\\timelimit\\10\\fraglimit\\25"},
        {END_NEVER, "\\timelimit\\0\\fraglimit\\0"},
    };
    m_Options = GameOptions{};
    for (const auto& [endType, limits] : cases) {
        m_Game.m_EndType = endType;
        EXPECT_EQ(Pairs("\\rules\\"), std::string(limits) + "\\tractorbeam\\off\\doublejump\\off\\ramming\\off")
            << int(endType);
    }
    m_Options.m_TractorBeam = 1;
    m_Options.m_DoubleJump = 2;
    m_Options.m_RammingDamage = 1;
    EXPECT_TRUE(Pairs("\\rules\\").ends_with("\\tractorbeam\\on\\doublejump\\on\\ramming\\on"));
}

TEST_F(ServerStatusReporterTest, PlayersInTableOrderAndNumplayersAgrees) {
    EXPECT_EQ(Pairs("\\players\\"), "");
    EXPECT_TRUE(m_Hook.m_Sent.empty()); // no players, no pairs, nothing sent
    AddPlayer("Zed", 9, 15);
    AddPlayer("Amy", 4, 80);
    AddPlayer("Back\\slash", 0, 999);
    EXPECT_EQ(Pairs("\\players\\"), "\\player_0\\Zed\\frags_0\\9\\ping_0\\15\\player_1\\Amy\\frags_1\\4\\ping_1\\80"
                                    "\\player_2\\Back/slash\\frags_2\\0\\ping_2\\999");
    EXPECT_NE(Pairs("\\info\\").find("\\numplayers\\3\\"), std::string::npos);
    m_Status.SetCount(2);
    const std::string both = Pairs("\\info\\players\\");
    EXPECT_NE(both.find("\\numplayers\\2\\"), std::string::npos);
    EXPECT_EQ(both.find("player_2"), std::string::npos);
}

TEST_F(ServerStatusReporterTest, AServerNameWithBackslashesAddsNoKeys) {
    std::strcpy(m_Host.m_ServerName, "Evil\\numplayers\\99");
    EXPECT_EQ(Pairs("\\info\\").substr(0, 32), "\\hostname\\Evil/numplayers/99\\hos");
}

TEST_F(ServerStatusReporterTest, EveryChangeOfWhatTheAnswersShowReachesTheNextAnswer) {
    AddPlayer("Ace", 1, 2);
    const std::string info = Pairs("\\info\\");
    const std::string rules = Pairs("\\rules\\");
    EXPECT_EQ(Pairs("\\info\\"), info);
    // The records, which the operator's options dialog changes while the game runs.
    std::strcpy(m_Host.m_ServerName, "Renamed");
    EXPECT_NE(Pairs("\\info\\").find("\\hostname\\Renamed\\"), std::string::npos);
    m_Host.m_MaxPlayers = 8;
    EXPECT_NE(Pairs("\\info\\").find("\\maxplayers\\8\\"), std::string::npos);
    m_Options.m_DoubleJump = 1;
    EXPECT_NE(Pairs("\\rules\\").find("\\doublejump\\on"), std::string::npos);
    m_Game.m_EndFrags = 40;
    EXPECT_NE(Pairs("\\rules\\").find("\\fraglimit\\40\\"), std::string::npos);
    // The labels, and the game.
    m_Reporter.SetLabels("ctf", "openplaying");
    EXPECT_NE(Pairs("\\info\\").find("\\gametype\\ctf\\"), std::string::npos);
    AddPlayer("Bob", 5, 60);
    EXPECT_NE(Pairs("\\status\\")
                  .find("\\numplayers\\2\\maxplayers\\8\\gamemode\\openplaying\\timelimit\\0"
                        "\\fraglimit\\40\\tractorbeam\\on\\doublejump\\on\\ramming\\off"
                        "\\player_0\\Ace\\frags_0\\1\\ping_0\\2\\player_1\\Bob"),
              std::string::npos);
}

// Counts what the answers read of the game, over a table status.
class CountingStatus final : public IGameStatus {
public:
    explicit CountingStatus(const test::TableStatus& table) : m_Table(table) {}
    std::string_view CurrentLevel() const override { return m_Table.CurrentLevel(); }
    int32_t PlayerCount() const override { return m_Table.PlayerCount(); }
    PlayerStatus Player(int32_t index) const override {
        ++m_PlayerReads;
        return m_Table.Player(index);
    }
    uint64_t Revision() const override { return m_Table.Revision(); }

    mutable int m_PlayerReads = 0;

private:
    const test::TableStatus& m_Table;
};

TEST(ServerStatusReporterCache, ThePairsAreWrittenOncePerChangeNotOncePerAnswer) {
    test::FakeClock clock;
    HostInfo host{};
    GameInfo game{};
    GameOptions options{};
    test::TableStatus table;
    CountingStatus status(table);
    BlockingPool pool;
    ServerStatusReporter reporter(clock, pool, StatusSources{host, game, options, status});
    QueryReporterOptions reporterOptions;
    reporterOptions.m_MasterHostPattern = "%"; // no master: nothing but the answers is sent
    reporterOptions.m_Limits.m_Burst = 0;
    reporterOptions.m_Limits.m_GlobalPerSecond = 0;
    reporterOptions.m_Limits.m_GlobalBytesPerSecond = 0;
    reporter.SetOptions(reporterOptions);
    ASSERT_TRUE(reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 0, 27960, 0, 1));
    test::RecordingSendHook hook;
    reporter.SetSendHook(&hook);
    for (int i = 0; i < 3; ++i) {
        table.Add("Bot" + std::to_string(i), i, 10 * i);
    }
    const NetPeer browser{0x7F000002, 5000};
    for (int query = 0; query < 5; ++query) {
        ASSERT_TRUE(reporter.HandleExternalQuery(browser, "\\players\\", 9));
        ASSERT_EQ(reporter.Process(), 1);
    }
    EXPECT_EQ(status.m_PlayerReads, 3);
    table.Add("Late", 0, 0);
    for (int query = 0; query < 5; ++query) {
        ASSERT_TRUE(reporter.HandleExternalQuery(browser, "\\status\\", 8));
        ASSERT_EQ(reporter.Process(), 1);
    }
    EXPECT_EQ(status.m_PlayerReads, 3 + 4);
    ASSERT_EQ(hook.m_Sent.size(), 10u);
    EXPECT_EQ(hook.m_Sent[0].m_Data.substr(0, hook.m_Sent[0].m_Data.find("\\final\\")),
              hook.m_Sent[4].m_Data.substr(0, hook.m_Sent[4].m_Data.find("\\final\\")));
    EXPECT_NE(hook.m_Sent[9].m_Data.find("\\player_3\\Late\\"), std::string::npos);
}

} // namespace
} // namespace dravo
