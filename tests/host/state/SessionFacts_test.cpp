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

} // namespace
} // namespace dravo
