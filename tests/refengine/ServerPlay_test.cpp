// Tests of players on the game port: joining, keeping alive, leaving, being kicked, and what else arrives there.
#include "GameTestSupport.h"

#include <future>
#include <random>

namespace dravo::ref {
namespace {

using test::HostedServer;
using test::TestPeer;

bool Contains(const std::vector<std::string>& texts, const std::string& wanted) {
    return std::find(texts.begin(), texts.end(), wanted) != texts.end();
}

TEST(ServerPlay, JoiningPlayersAreAnnouncedAndListed) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    hosted.m_Recorder.Clear();
    TestPeer ace;
    TestPeer bob;
    const uint32_t aceId = hosted.Join(ace, "Ace");
    const uint32_t bobId = hosted.Join(bob, "Bob");
    ASSERT_NE(aceId, 0u);
    ASSERT_NE(bobId, 0u);
    EXPECT_NE(aceId, bobId);
    const std::vector<std::string> texts = hosted.m_Recorder.TextsStartingWith("[GMSG:");
    const std::string prefix = "[GMSG:0][CLEV:Worlds\\Multi\\Cinderworks][NLEV:Worlds\\Multi\\Frostline]";
    EXPECT_EQ(texts,
              (std::vector<std::string>{"[GMSG:2][CMSG:Ace joined the game.]",
                                        prefix + "[PLRS:1][PLRN1:Ace][PLRF1:0][PLRI1:" + std::to_string(aceId) + "]",
                                        "[GMSG:2][CMSG:Bob joined the game.]",
                                        prefix + "[PLRS:2][PLRN1:Ace][PLRF1:0][PLRI1:" + std::to_string(aceId) +
                                            "][PLRN2:Bob][PLRF2:0][PLRI2:" + std::to_string(bobId) + "]"}));
    EXPECT_EQ(hosted.m_Server.CountClients(), 2u);
    ClientRecord record{};
    ASSERT_EQ(hosted.m_Server.DescribeClient(1, &record), ENGINE_TRUE);
    EXPECT_STREQ(record.m_Name, "Bob");
    EXPECT_EQ(record.m_ClientId, bobId);
    EXPECT_EQ(hosted.m_Server.DescribeClient(2, &record), 0);
    EXPECT_EQ(hosted.m_Server.DescribeClient(0, nullptr), 0);
}

TEST(ServerPlay, AJoinRepeatedFromTheSameAddressKeepsTheSameId) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer ace;
    const uint32_t id = hosted.Join(ace, "Ace");
    EXPECT_EQ(hosted.Join(ace, "Ace"), id);
    EXPECT_EQ(hosted.m_Server.CountClients(), 1u);
}

TEST(ServerPlay, NamesWithBracketsAreMadeSafe) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer peer;
    const uint32_t id = hosted.Join(peer, "x][PLRF1:99");
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(
        Contains(hosted.m_Recorder.TextsStartingWith("[GMSG:2]"), "[GMSG:2][CMSG:x)(PLRF1:99 joined the game.]"));
    ClientRecord record{};
    ASSERT_EQ(hosted.m_Server.DescribeClient(0, &record), ENGINE_TRUE);
    EXPECT_STREQ(record.m_Name, "x)(PLRF1:99");
}

TEST(ServerPlay, PlayersCannotJoinBeforeAWorldRuns) {
    HostedServer hosted;
    TestPeer peer;
    peer.Send("DRAVO JOIN Ace", hosted.m_Port);
    std::optional<std::string> reply;
    ASSERT_TRUE(hosted.FramesUntil([&] { return (reply = peer.TryReceive()).has_value(); }));
    EXPECT_EQ(*reply, "DRAVO REFUSED The server is not ready.");
    EXPECT_EQ(hosted.m_Server.CountClients(), 0u);
}

TEST(ServerPlay, AFullServerRefusesTheNextPlayer) {
    HostedServer hosted(2);
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer a, b, c;
    ASSERT_NE(hosted.Join(a, "A"), 0u);
    ASSERT_NE(hosted.Join(b, "B"), 0u);
    c.Send("DRAVO JOIN C", hosted.m_Port);
    std::optional<std::string> reply;
    ASSERT_TRUE(hosted.FramesUntil([&] { return (reply = c.TryReceive()).has_value(); }));
    EXPECT_EQ(*reply, "DRAVO FULL");
    EXPECT_EQ(hosted.m_Server.CountClients(), 2u);
}

TEST(ServerPlay, PingIsMeasuredFromTheRoundTrip) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer ace;
    ASSERT_NE(hosted.Join(ace, "Ace"), 0u);
    std::optional<std::string> ping;
    ASSERT_TRUE(hosted.FramesUntil([&] { return (ping = ace.TryReceive()).has_value(); }));
    ASSERT_TRUE(ping->starts_with("DRAVO PING ")) << *ping;
    ace.Send("DRAVO PONG " + ping->substr(11), hosted.m_Port);
    ClientRecord record{};
    ASSERT_TRUE(hosted.FramesUntil(
        [&] { return hosted.m_Server.DescribeClient(0, &record) == ENGINE_TRUE && record.m_PingSeconds > 0.0f; }));
    EXPECT_LT(record.m_PingSeconds, 10.0f);
}

TEST(ServerPlay, LeavingPlayersAreAnnouncedAndRemoved) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer ace, bob;
    ASSERT_NE(hosted.Join(ace, "Ace"), 0u);
    const uint32_t bobId = hosted.Join(bob, "Bob");
    hosted.m_Recorder.Clear();
    ace.Send("DRAVO LEAVE", hosted.m_Port);
    ASSERT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 1u; }));
    EXPECT_EQ(hosted.m_Recorder.TextsStartingWith("[GMSG:"),
              (std::vector<std::string>{"[GMSG:2][CMSG:Ace left the game.]",
                                        "[GMSG:0][CLEV:Worlds\\Multi\\Cinderworks][NLEV:Worlds\\Multi\\Frostline]"
                                        "[PLRS:1][PLRN1:Bob][PLRF1:0][PLRI1:" +
                                            std::to_string(bobId) + "]"}));
}

TEST(ServerPlay, DisconnectClientKicksThePlayer) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer ace;
    const uint32_t id = hosted.Join(ace, "Ace");
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.DisconnectClient(id), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Server.CountClients(), 0u);
    EXPECT_TRUE(hosted.m_Recorder.Texts().empty()); // the news follows with the next frame, not inside the call
    std::optional<std::string> reply;
    ASSERT_TRUE(hosted.FramesUntil([&] {
        while ((reply = ace.TryReceive()) && reply->starts_with("DRAVO PING")) {
        }
        return reply.has_value();
    }));
    EXPECT_EQ(*reply, "DRAVO KICKED");
    EXPECT_EQ(
        hosted.m_Recorder.TextsStartingWith("[GMSG:"),
        (std::vector<std::string>{"[GMSG:2][CMSG:Ace was kicked from the game.]",
                                  "[GMSG:0][CLEV:Worlds\\Multi\\Cinderworks][NLEV:Worlds\\Multi\\Frostline][PLRS:0]"}));
    EXPECT_NE(hosted.m_Server.DisconnectClient(id), ENGINE_STATUS_OK);
    // What the kicked player still sends is ignored.
    ace.Send("DRAVO ALIVE", hosted.m_Port);
    EXPECT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    EXPECT_EQ(hosted.m_Server.CountClients(), 0u);
}

TEST(ServerPlay, SilentPlayersTimeOutAndTalkingOnesStay) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("set net_clienttimeout 0.3"), ENGINE_STATUS_OK);
    TestPeer quiet, talker;
    ASSERT_NE(hosted.Join(quiet, "Quiet"), 0u);
    ASSERT_NE(hosted.Join(talker, "Talker"), 0u);
    ASSERT_TRUE(hosted.FramesUntil([&] {
        talker.Send("DRAVO ALIVE", hosted.m_Port);
        return hosted.m_Server.CountClients() == 1u;
    }));
    ClientRecord record{};
    ASSERT_EQ(hosted.m_Server.DescribeClient(0, &record), ENGINE_TRUE);
    EXPECT_STREQ(record.m_Name, "Talker");
    EXPECT_TRUE(Contains(hosted.m_Recorder.TextsStartingWith("[GMSG:2]"), "[GMSG:2][CMSG:Quiet timed out.]"));
}

TEST(ServerPlay, ForeignDatagramsReachTheFrontEndWithTheirSender) {
    HostedServer hosted;
    TestPeer query;
    const std::string bytes("\\status\\\0\xff", 10);
    query.Send(bytes, hosted.m_Port);
    ASSERT_TRUE(hosted.FramesUntil([&] { return !hosted.m_Recorder.Datagrams().empty(); }));
    const auto datagrams = hosted.m_Recorder.Datagrams();
    ASSERT_EQ(datagrams.size(), 1u);
    EXPECT_EQ(datagrams[0].m_Bytes, bytes);
    EXPECT_EQ(datagrams[0].m_Address[0], 127);
    EXPECT_EQ(datagrams[0].m_Address[1], 0);
    EXPECT_EQ(datagrams[0].m_Address[2], 0);
    EXPECT_EQ(datagrams[0].m_Address[3], 1);
    EXPECT_EQ(datagrams[0].m_Port, query.Port());
}

// Garbage on the game port is dropped: it neither crashes nor joins anyone nor reaches the front end.
TEST(ServerPlay, RandomDatagramsAreIgnored) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer ace, noise;
    ASSERT_NE(hosted.Join(ace, "Ace"), 0u);
    hosted.m_Recorder.Clear();
    std::mt19937 random(99);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(1 + random() % 300, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        if (bytes[0] == '\\') {
            bytes[0] = 'x';
        }
        if (round % 3 == 0) {
            bytes = "DRAVO " + bytes; // looks like the game
        }
        noise.Send(bytes, hosted.m_Port);
        if (round % 50 == 0) {
            ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
        }
    }
    noise.Send(std::string(3000, 'J'), hosted.m_Port); // longer than any datagram read
    noise.Send("DRAVO ALIVE", hosted.m_Port);          // valid, but from nobody who joined
    ace.Send("DRAVO LEAVE", hosted.m_Port);            // the marker: everything before it has been read
    ASSERT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 0u; }));
    EXPECT_TRUE(hosted.m_Recorder.Datagrams().empty());
    EXPECT_EQ(hosted.m_Recorder.TextsStartingWith("[GMSG:2]"),
              std::vector<std::string>{"[GMSG:2][CMSG:Ace left the game.]"});
}

// The handler may call straight back into the engine while a message is delivered.
TEST(ServerPlay, AHandlerMayCallBackFromOnGameText) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    std::vector<std::string> described;
    hosted.m_Recorder.m_OnText = [&](const char* text) {
        if (std::string_view(text).starts_with("[GMSG:0]")) {
            ClientRecord record{};
            for (uint32_t i = 0; i < hosted.m_Server.CountClients(); ++i) {
                if (hosted.m_Server.DescribeClient(i, &record) == ENGINE_TRUE) {
                    described.emplace_back(record.m_Name);
                }
            }
        }
    };
    TestPeer ace;
    // Run on another thread with a bound, so that a deadlock fails the test instead of hanging it.
    auto joined = std::async(std::launch::async, [&] { return hosted.Join(ace, "Ace"); });
    ASSERT_EQ(joined.wait_for(test::WAIT_BOUND + std::chrono::seconds(5)), std::future_status::ready)
        << "the engine deadlocked when the handler called back";
    EXPECT_NE(joined.get(), 0u);
    EXPECT_EQ(described, std::vector<std::string>{"Ace"});
}

} // namespace
} // namespace dravo::ref
