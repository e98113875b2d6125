// Tests of the table of joined players.
#include "ClientTable.h"

#include <gtest/gtest.h>
#include <set>

namespace dravo::ref {
namespace {

PeerAddress Peer(uint16_t port) {
    return PeerAddress{0x7F000001, port};
}

TEST(ClientTable, IdsAreUniqueNonZeroAndNotReusedAtOnce) {
    ClientTable table(3);
    const uint32_t first = table.Add("Ace", Peer(1), 0)->m_Id;
    const uint32_t second = table.Add("Bob", Peer(2), 0)->m_Id;
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    ASSERT_TRUE(table.Remove(first));
    const uint32_t third = table.Add("Cat", Peer(3), 0)->m_Id;
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    std::set<uint32_t> seen;
    for (int round = 0; round < 1000; ++round) {
        const uint32_t id = table.Add("Dan", Peer(4), 0)->m_Id;
        EXPECT_TRUE(seen.insert(id).second);
        EXPECT_NE(id, second);
        EXPECT_NE(id, third);
        ASSERT_TRUE(table.Remove(id));
    }
}

TEST(ClientTable, RefusesBeyondCapacityAndFindsClients) {
    ClientTable table(2);
    ASSERT_NE(table.Add("Ace", Peer(1), 0), nullptr);
    ASSERT_NE(table.Add("Bob", Peer(2), 0), nullptr);
    EXPECT_TRUE(table.Full());
    EXPECT_EQ(table.Add("Cat", Peer(3), 0), nullptr);
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.FindByPeer(Peer(2))->m_Name, "Bob");
    EXPECT_EQ(table.FindByPeer(PeerAddress{0x7F000002, 2}), nullptr); // same port, other address
    EXPECT_EQ(table.FindByName("Ace")->m_Peer, Peer(1));
    EXPECT_EQ(table.At(1)->m_Name, "Bob");
    EXPECT_EQ(table.At(2), nullptr);
    EXPECT_FALSE(table.Remove(999));
    const auto removed = table.Remove(table.FindByName("Ace")->m_Id);
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->m_Name, "Ace");
    EXPECT_EQ(table.At(0)->m_Name, "Bob");
    EXPECT_FALSE(table.Full());
}

TEST(ClientTable, PingCountsOnlyTheAnswerToTheWaitingPing) {
    ClientTable table(1);
    Client& client = *table.Add("Ace", Peer(1), 0);
    table.TakePong(client, 5, 1000); // nothing was sent
    EXPECT_FALSE(client.m_HasPing);
    client.m_PingSequence = 5;
    client.m_PingSent = 1000000;
    table.TakePong(client, 4, 1040000); // an older answer
    EXPECT_FALSE(client.m_HasPing);
    table.TakePong(client, 5, 1080000);
    EXPECT_TRUE(client.m_HasPing);
    EXPECT_FLOAT_EQ(client.m_PingSeconds, 0.08f);
    table.TakePong(client, 5, 1900000); // answered already
    EXPECT_FLOAT_EQ(client.m_PingSeconds, 0.08f);
    client.m_PingSequence = 6;
    client.m_PingSent = 2000000;
    table.TakePong(client, 6, 2040000); // smoothed toward 40 ms
    EXPECT_FLOAT_EQ(client.m_PingSeconds, 0.07f);
}

TEST(ClientTable, SilentClientsAndFragReset) {
    ClientTable table(3);
    table.Add("Ace", Peer(1), 1000)->m_Frags = 3;
    table.Add("Bob", Peer(2), 5000)->m_Frags = 4;
    EXPECT_EQ(table.Silent(6000, 5000), std::vector<uint32_t>{});
    EXPECT_EQ(table.Silent(6001, 5000), std::vector<uint32_t>{table.FindByName("Ace")->m_Id});
    EXPECT_EQ(table.Silent(500, 5000), std::vector<uint32_t>{}); // a clock before the last message
    table.ResetFrags();
    EXPECT_EQ(table.At(0)->m_Frags, 0);
    EXPECT_EQ(table.At(1)->m_Frags, 0);
}

} // namespace
} // namespace dravo::ref
