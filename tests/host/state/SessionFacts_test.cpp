// The facts the services beside the window read: each change told once, a repeat told not at all.
#include "host/state/SessionFacts.h"
#include "support/RosterPlayers.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SessionFacts, ListenersHearOfRealChangesOnly) {
    SessionFacts facts;
    int heard = 0;
    const int id = facts.AddListener([&] { ++heard; });
    facts.HostingStarted(HostedGame{16, "deathmatch", {"A", "B"}, "A"});
    EXPECT_EQ(heard, 1);
    facts.SetPlayers(test::Players({"Ace"}), 0);
    facts.SetPlayers(test::Players({"Ace"}), 0); // frags or pings changed, not who plays
    EXPECT_EQ(heard, 2);
    facts.SetGameType("deathmatch");
    EXPECT_EQ(heard, 2);
    facts.LevelChanged("B");
    facts.LevelChanged(""); // a level change that named no level still counts
    EXPECT_EQ(heard, 4);
    facts.HostingEnded();
    facts.HostingEnded();
    EXPECT_EQ(heard, 5);
    facts.CountStep(); // steps are read, not told
    EXPECT_EQ(heard, 5);
    facts.RemoveListener(id);
    facts.SetPlayers(test::Players({}), 0);
    EXPECT_EQ(heard, 5);

    const SessionSnapshot snapshot = facts.Snapshot();
    EXPECT_EQ(snapshot.m_Phase, HostingPhase::Ended);
    EXPECT_EQ(snapshot.m_Level, "B");
    EXPECT_EQ(snapshot.m_LevelChanges, 2u);
    EXPECT_EQ(snapshot.m_Game.m_MaxPlayers, 16);
    EXPECT_TRUE(snapshot.m_Players.empty());
    EXPECT_EQ(snapshot.m_Version, 6u);
    EXPECT_EQ(facts.Steps(), 1u);
}

TEST(SessionFacts, TheRosterKeepsAPlayersJoinTimeWhileTheyStay) {
    SessionFacts facts;
    std::vector<RosterPlayer> players = test::Players({"Ace", "Bob"});
    facts.SetPlayers(players, 1000);
    players[0].m_Frags = 5; // a frag is no new player
    facts.SetPlayers(players, 2000);
    players.push_back({7, "Cyd", 0, 40, 0});
    facts.SetPlayers(players, 3000);
    players[1].m_Id = 9; // another client under an old name has just joined
    facts.SetPlayers(players, 4000);
    const std::vector<RosterPlayer> roster = facts.Roster();
    ASSERT_EQ(roster.size(), 3u);
    EXPECT_EQ(roster[0].m_JoinedMs, 1000u);
    EXPECT_EQ(roster[0].m_Frags, 5);
    EXPECT_EQ(roster[1].m_JoinedMs, 4000u);
    EXPECT_EQ(roster[2].m_JoinedMs, 3000u);
    EXPECT_EQ(roster[2].m_Ping, 40);
    EXPECT_EQ(facts.Snapshot().m_Players, (std::vector<std::string>{"Ace", "Bob", "Cyd"}));
    EXPECT_EQ(FormatRosterLine(roster[2]), "(40)\tCyd\t0\tid 7");
}

} // namespace
} // namespace dravo
