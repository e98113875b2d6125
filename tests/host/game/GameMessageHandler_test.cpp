// What the status answers read of the game messages: the level and the sorted players.
#include "host/game/GameMessageHandler.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <mutex>

namespace dravo {
namespace {

class GameMessageHandlerTest : public ::testing::Test {
protected:
    test::RecordingView m_View;
    ConsoleLog m_Log{m_View};
    test::FakeClock m_Clock;
    test::FakeEngine m_Engine;
    UpdateLock m_Lock;
    BanList m_Bans;
    KickQueue m_Kicks;
    std::atomic<bool> m_EmptyExit{false};
    TuningVariables m_Tuning;
    SessionFacts m_Facts;
    GameInfo m_Game{};
    GameMessageHandler m_Handler{
        GameMessageParts{m_View, m_Log, m_Clock, m_Lock, m_Bans, m_Kicks, m_EmptyExit, m_Tuning, m_Facts, m_Game}};

    void UseEndRule(uint8_t endType, int32_t frags, int32_t minutes) {
        m_Game.m_EndType = endType;
        m_Game.m_EndFrags = frags;
        m_Game.m_EndTime = minutes;
    }

    void SetUp() override { m_Handler.Attach(&m_Engine); }
};

TEST_F(GameMessageHandlerTest, StatusReadsTheSortedPlayersWithTheirPings) {
    m_Engine.AddClient("Ace", 8, 0.0125f);
    m_Handler.Handle("[GMSG:0][PLRS:2][PLRN1:Zed][PLRF1:5][PLRI1:7][PLRN2:Ace][PLRF2:12][PLRI2:8]");
    std::scoped_lock lock(m_Lock);
    const IGameStatus& status = m_Handler;
    ASSERT_EQ(status.PlayerCount(), 2);
    EXPECT_EQ(status.Player(0).m_Name, "Ace");
    EXPECT_EQ(status.Player(0).m_Frags, 12);
    EXPECT_EQ(status.Player(0).m_Ping, 12);
    EXPECT_EQ(status.Player(1).m_Name, "Zed");
    EXPECT_EQ(status.Player(1).m_Ping, 0); // not among the engine's clients
}

TEST_F(GameMessageHandlerTest, OnlyALevelChangeSetsTheLevelTheStatusReports) {
    m_Handler.SetCurrentLevel("Worlds\\Multi\\Cinderworks");
    m_Handler.Handle("[GMSG:0][CLEV:Worlds\\Multi\\Frostline][PLRS:0]");
    EXPECT_EQ(m_Handler.CurrentLevel(), "Worlds\\Multi\\Cinderworks"); // a state update only shows it
    m_Handler.Handle("[GMSG:1][CLEV:Arena]");
    EXPECT_EQ(m_Handler.CurrentLevel(), "Arena");
    m_Handler.Reset();
    EXPECT_EQ(m_Handler.CurrentLevel(), "");
    EXPECT_EQ(m_Handler.PlayerCount(), 0);
}

TEST_F(GameMessageHandlerTest, ALevelThatReachesTheFragLimitIsLoggedAsEndedByIt) {
    UseEndRule(END_AFTER_FRAGS_OR_TIME, 10, 20);
    m_Handler.SetCurrentLevel("Arena");
    m_Handler.Handle("[GMSG:0][PLRS:2][PLRN1:Zed][PLRF1:4][PLRI1:7][PLRN2:Ace][PLRF2:10][PLRI2:8]");
    m_Clock.Advance(60000);
    m_Handler.Handle("[GMSG:1][CLEV:Frostline][NLEV:Cinderworks]");
    EXPECT_TRUE(m_View.Logged("Level Arena ended: Ace reached the frag limit of 10."))
        << ::testing::PrintToString(m_View.Log());
    EXPECT_TRUE(m_View.Logged("Level changed to Frostline; next: Cinderworks."));
}

TEST_F(GameMessageHandlerTest, ALevelIsLoggedAsEndedByTheClockOnlyWhenItsTimeIsUp) {
    UseEndRule(END_AFTER_TIME, 10, 5);
    m_Handler.SetCurrentLevel("Arena");
    m_Handler.Handle("[GMSG:0][PLRS:1][PLRN1:Ace][PLRF1:30][PLRI1:8]"); // frags do not count under this rule
    m_Clock.Advance(60000);
    m_Handler.Handle("[GMSG:1][CLEV:Frostline]");
    EXPECT_TRUE(m_View.Logged("Level Arena ended.")) << ::testing::PrintToString(m_View.Log());
    EXPECT_TRUE(m_View.Logged("Level changed to Frostline."));
    m_Clock.Advance(5 * 60000);
    m_Handler.Handle("[GMSG:1][CLEV:Arena]");
    EXPECT_TRUE(m_View.Logged("Level Frostline ended: the time limit of 5 minutes ran out."))
        << ::testing::PrintToString(m_View.Log());
}

TEST_F(GameMessageHandlerTest, TheOperatorsNextLevelIsLoggedAsSuchOnceEvenAtTheFragLimit) {
    UseEndRule(END_AFTER_FRAGS, 5, 0);
    m_Handler.SetCurrentLevel("Arena");
    m_Handler.Handle("[GMSG:0][PLRS:1][PLRN1:Ace][PLRF1:5][PLRI1:8]");
    m_Handler.NoteNextLevelAsked();
    m_Handler.Handle("[GMSG:1][CLEV:Frostline]");
    EXPECT_TRUE(m_View.Logged("Level Arena ended: the operator moved on to the next level."))
        << ::testing::PrintToString(m_View.Log());
    m_Handler.Handle("[GMSG:1][CLEV:Cinderworks]"); // the request was used up by the first change
    EXPECT_TRUE(m_View.Logged("Level Frostline ended: Ace reached the frag limit of 5."))
        << ::testing::PrintToString(m_View.Log());
}

} // namespace
} // namespace dravo
