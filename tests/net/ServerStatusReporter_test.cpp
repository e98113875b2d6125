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
    }
    // The pairs of a one-packet answer to a game-port query, without the trailer.
    std::string Pairs(const std::string& query) {
        m_Hook.m_Sent.clear();
        EXPECT_TRUE(m_Reporter.HandleExternalQuery("127.0.0.1", 9, query.c_str(), static_cast<int>(query.size())));
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
    m_Status.m_Level = "Worlds\\Multi\\Frostline";
    m_Tuning.m_SpyGameType = "ctf";
    m_Tuning.m_SpyGameMode = "closedplaying";
    EXPECT_EQ(Pairs("\\info\\"), "\\hostname\\Test Server\\hostport\\27960\\mapname\\Frostline\\gametype\\ctf"
                                 "\\numplayers\\1\\maxplayers\\16\\gamemode\\closedplaying");
    // A level that ends in a backslash goes out whole, with its backslash made harmless.
    m_Status.m_Level = "Worlds\\";
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
    m_Status.m_Players.SetCount(2);
    const std::string both = Pairs("\\info\\players\\");
    EXPECT_NE(both.find("\\numplayers\\2\\"), std::string::npos);
    EXPECT_EQ(both.find("player_2"), std::string::npos);
}

TEST_F(ServerStatusReporterTest, AServerNameWithBackslashesAddsNoKeys) {
    std::strcpy(m_Host.m_ServerName, "Evil\\numplayers\\99");
    EXPECT_EQ(Pairs("\\info\\").substr(0, 32), "\\hostname\\Evil/numplayers/99\\hos");
}

} // namespace
} // namespace dravo
