// What the status answers read of the game messages: the level and the sorted players.
#include "host/GameMessageHandler.h"
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
    GameMessageHandler m_Handler{
        GameMessageParts{m_View, m_Log, m_Clock, m_Lock, m_Bans, m_Kicks, m_EmptyExit, m_Tuning, m_Facts}};

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

} // namespace
} // namespace dravo
