// The game code's messages: player lists, levels, console text, the level-change lock, the countdown.
#include "host/session/SessionFixture.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace dravo {
namespace {

using GameMessagesTest = test::SessionTest;

std::vector<std::string> Lines(const PlayerListSnapshot& players) {
    std::vector<std::string> lines;
    for (const auto& line : players.m_Lines) {
        lines.push_back(line.m_Text);
    }
    return lines;
}

TEST_F(GameMessagesTest, PlayersAreSortedByFragsThenNameWithTheirPings) {
    m_Engine.AddClient("Zed", 7, 0.085f);
    m_Engine.AddClient("Ace", 8, 0.0125f);
    Host();
    m_Session->SetCurrentLevel("Worlds\\Multi\\Cinderworks");
    Message("[GMSG:0][CLEV:Worlds\\Multi\\Frostline][NLEV:Arena][PLRS:3]"
            "[PLRN1:Zed][PLRF1:5][PLRI1:7][PLRN2:Ace][PLRF2:12][PLRI2:8]"
            "[PLRN3:Bob][PLRF3:5][PLRI3:9]");
    const PlayerListSnapshot players = m_View.Players();
    EXPECT_EQ(Lines(players),
              (std::vector<std::string>{"(12)\tAce\t12\tid 8", "(0)\tBob\t5\tid 9", "(85)\tZed\t5\tid 7"}));
    EXPECT_EQ(players.m_Lines[0].m_ClientId, 8u);
    EXPECT_EQ(players.m_Lines[1].m_Name, "Bob");
    EXPECT_EQ(players.m_PlayerCount, 3);
    EXPECT_EQ(m_View.CurrentLevel(), "Worlds\\Multi\\Frostline");
    EXPECT_EQ(m_View.NextLevel(), "Arena");
}

TEST_F(GameMessagesTest, AnUpdateWithoutFieldsEmptiesTheList) {
    Host();
    Message("[GMSG:0][PLRS:2][PLRN1:A][PLRF1:1][PLRN2:B][PLRF2:2]");
    Message("[GMSG:0]");
    EXPECT_TRUE(m_View.Players().m_Lines.empty());
    EXPECT_EQ(m_View.Players().m_PlayerCount, 0);
    Message("[GMSG:0][PLRS:-4]");
    EXPECT_EQ(m_View.Players().m_PlayerCount, 0);
}

TEST_F(GameMessagesTest, MissingFieldsKeepWhatTheEntryHeld) {
    Host();
    Message("[GMSG:0][PLRS:1][PLRN1:Ace][PLRF1:3][PLRI1:5]");
    Message("[GMSG:0][PLRS:1][PLRN1:Ace]"); // no frags: frags and id stay
    EXPECT_EQ(Lines(m_View.Players()), std::vector<std::string>{"(0)\tAce\t3\tid 5"});
    EXPECT_EQ(m_View.Players().m_Lines[0].m_ClientId, 5u);
    Message("[GMSG:0][PLRS:1][PLRN1:Bob][PLRF1:1]"); // no id: 0
    EXPECT_EQ(m_View.Players().m_Lines[0].m_ClientId, 0u);
}

TEST_F(GameMessagesTest, CountAbove130IsLimited) {
    Host();
    std::string message = "[GMSG:0][PLRS:500]";
    for (int n = 1; n <= 140; ++n) {
        message += "[PLRN" + std::to_string(n) + ":P" + std::to_string(n) + "][PLRF" + std::to_string(n) + ":1]";
    }
    Message(message.c_str());
    EXPECT_EQ(m_View.Players().m_PlayerCount, 130);
    EXPECT_EQ(m_View.Players().m_Lines.size(), 130u);
}

TEST_F(GameMessagesTest, ABannedPlayerIsQueuedOnce) {
    m_Directory.Write("banned.txt", "Cheater");
    m_Engine.AddClient("Cheater", 4, 0.0f);
    Host();
    for (int update = 0; update < 2; ++update) {
        Message("[GMSG:0][PLRS:2][PLRN1:Cheater][PLRF1:0][PLRI1:4][PLRN2:cheater][PLRF2:0]");
    }
    const auto log = m_View.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Added Cheater to kick queue..."), 1);
    Step(0);
    Step(60); // waited long enough: booted at the next step
    Step(9);
    EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{4});
}

TEST_F(GameMessagesTest, AKickTakesOnlyAnIdOfTheSameMessage) {
    m_Directory.Write("banned.txt", "Evil");
    m_Engine.AddClient("Evil", 9, 0.0f);
    Host();
    Message("[GMSG:0][PLRS:1][PLRN1:Ace][PLRF1:3][PLRI1:5]");
    // Evil takes the first line, but this update carries no id: the one the line kept is Ace's.
    Message("[GMSG:0][PLRS:1][PLRN1:Evil]");
    Step(0);
    Step(60);
    Step(9);
    EXPECT_TRUE(m_Engine.m_Disconnected.empty());
    EXPECT_FALSE(m_View.Logged("Added Evil to kick queue..."));
    Message("[GMSG:0][PLRS:1][PLRN1:Evil][PLRF1:0][PLRI1:9]"); // now with its own id
    Step(60);
    Step(9);
    EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{9});
}

TEST_F(GameMessagesTest, ConsoleTextIsLoggedVerbatim) {
    Host();
    Message("[GMSG:2][CMSG:Ace has 100%s of %n health]");
    EXPECT_EQ(m_View.Log().back(), "Ace has 100%s of %n health");
}

TEST_F(GameMessagesTest, OtherKindsAreIgnored) {
    Host();
    const size_t lines = m_View.Log().size();
    for (const char* message : {"[GMSG:5][CMSG:x]", "[GMSG:-1][CMSG:x]", "[GMSG:][CMSG:x]", "[CMSG:x]"}) {
        Message(message);
    }
    Message(nullptr);
    EXPECT_EQ(m_View.Log().size(), lines);
    Message("[GMSG:abc][PLRS:1][PLRN1:Ace][PLRF1:1]"); // not a number: kind 0
    EXPECT_EQ(m_View.Players().m_PlayerCount, 1);
}

TEST_F(GameMessagesTest, LevelChangedRestartsTheLevelClock) {
    Host();
    m_Clock.Advance(5000);
    Message("[GMSG:1][CLEV:Arena]");
    EXPECT_EQ(m_View.CurrentLevel(), "Arena");
    EXPECT_EQ(m_View.NextLevel(), ""); // no NLEV: Next Level keeps its text
    EXPECT_EQ(m_Session->LevelStartMs(), m_Clock.NowMs());
}

TEST_F(GameMessagesTest, LevelChangeHoldsTheLockOnlyForItsOwnThread) {
    Host();
    auto tryLockElsewhere = [this] {
        return std::async(std::launch::async,
                          [this] {
                              const bool locked = m_Session->Lock().try_lock();
                              if (locked) {
                                  m_Session->Lock().unlock();
                              }
                              return locked;
                          })
            .get();
    };
    Message("[GMSG:3]");
    EXPECT_FALSE(tryLockElsewhere());
    // An end delivered on another thread releases nothing there.
    std::async(std::launch::async, [this] { Message("[GMSG:4]"); }).get();
    EXPECT_FALSE(tryLockElsewhere());
    Message("[GMSG:1][CLEV:Arena][NLEV:Worlds\\Multi\\Cinderworks]");
    EXPECT_TRUE(tryLockElsewhere());
    // A stray end on this thread does not unlock anything either.
    Message("[GMSG:4]");
    EXPECT_TRUE(tryLockElsewhere());
    EXPECT_EQ(m_Session->Lock().LevelChangeHolds(), 0);
}

TEST_F(GameMessagesTest, EmptyServerCountdownClosesWithoutAsking) {
    m_EmptyExit = true;
    Host();
    Message("[GMSG:0][PLRS:3][PLRN1:A][PLRF1:0][PLRN2:B][PLRF2:0][PLRN3:C][PLRF3:0]");
    Message("[GMSG:0]");
    EXPECT_EQ(m_View.Log().back(),
              "Last player has left the game, shutting down in 60 seconds if no new players join...");
    Message("[GMSG:0]"); // 0 after 0 changes nothing
    const auto log = m_View.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), m_View.Log().back()), 1);

    Step(0);
    int steps = 0;
    while (m_View.m_CloseRequests == 0 && steps < 10000) {
        Step(9);
        ++steps;
    }
    EXPECT_EQ(steps, 60000 / 9 + 1); // about 60 seconds of 9 ms steps
    EXPECT_TRUE(m_Session->ExitWithoutAsking());
    Step(9);
    EXPECT_EQ(m_View.m_CloseRequests, 1);
}

TEST_F(GameMessagesTest, AJoiningPlayerDisarmsTheCountdown) {
    m_EmptyExit = true;
    m_Engine.m_Variables["EmptyExitDelay"] = "2";
    Host();
    Message("[GMSG:0][PLRS:1][PLRN1:A][PLRF1:0]");
    Message("[GMSG:0][PLRS:0]");
    EXPECT_EQ(m_View.Log().back(),
              "Last player has left the game, shutting down in 2 seconds if no new players join...");
    Step(0);
    Step(1500);
    Message("[GMSG:0][PLRS:1][PLRN1:B][PLRF1:0]");
    Step(1500);
    Step(1500);
    EXPECT_EQ(m_View.m_CloseRequests, 0);
    EXPECT_FALSE(m_Session->ExitWithoutAsking());
}

TEST_F(GameMessagesTest, WithoutEmptyExitNothingCountsDown) {
    Host();
    Message("[GMSG:0][PLRS:1][PLRN1:A][PLRF1:0]");
    Message("[GMSG:0]");
    Step(0);
    Step(61000);
    EXPECT_EQ(m_View.m_CloseRequests, 0);
}

TEST_F(GameMessagesTest, AHandlerCallingBackIntoTheEngineFromAFrameWorks) {
    m_Engine.AddClient("Ace", 3, 0.02f);
    m_Engine.m_OnFrame = [this] { m_Engine.m_Handler->OnGameText("[GMSG:0][PLRS:1][PLRN1:Ace][PLRF1:2][PLRI1:3]"); };
    Host();
    Step(9);
    EXPECT_EQ(Lines(m_View.Players()), std::vector<std::string>{"(20)\tAce\t2\tid 3"});
}

} // namespace
} // namespace dravo
