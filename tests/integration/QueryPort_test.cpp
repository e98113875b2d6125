// GameSpy reporting end to end: dravoserv hosting with dravo-bot players, asked by quakestat and
// by a loopback master server, on its query port and on its game port.
#include "integration/PresenceFixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dravo {
namespace {

using test::UdpTestPeer;
using QueryPortTest = test::PresenceTest;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

TEST_F(QueryPortTest, QuakestatListsTheGameAndEveryPlayerOnBothPorts) {
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/quakestat")) << "install qstat";
    Configure({{"SpyRateBurst", "0"}, {"SpyGlobalRate", "0"}}); // this test asks often from one address
    auto server = StartServer();
    auto bots = StartBots("Ace,Bob,Cyd", 60);
    for (const char* name : {"Ace", "Bob", "Cyd"}) {
        ASSERT_TRUE(server->WaitForOutput(std::string(name) + " joined the game.")) << server->Output();
    }
    // The frags reach the player table with the next frame's state update: wait until an answer shows them.
    server->WriteLine("addfrag Bob 4");
    UdpTestPeer client;
    std::string answered;
    for (int probe = 0; probe < 500 && answered.find("\\Bob\\frags_0\\4\\") == std::string::npos; ++probe) {
        ASSERT_TRUE(client.SendTo(QueryPort(), "\\players\\"));
        const auto answer = client.Receive();
        ASSERT_TRUE(answer);
        answered = answer->m_Data;
    }
    ASSERT_NE(answered.find("\\player_0\\Bob\\frags_0\\4\\"), std::string::npos) << answered;

    for (const uint16_t port : {QueryPort(), GamePort()}) {
        const auto lines = Lines(Quakestat(port));
        ASSERT_GE(lines.size(), 5u) << port << ":\n" << Quakestat(port);
        // GPS, address, server name, map, max players, players, ...
        EXPECT_EQ(
            lines[0].rfind("GPS\t127.0.0.1:" + std::to_string(port) + "\tLoopback Arena\tCinderworks\t16\t3\t", 0), 0u)
            << lines[0];
        EXPECT_NE(lines[1].find("gametype=deathmatch"), std::string::npos) << lines[1];
        EXPECT_NE(lines[1].find("timelimit=10\tfraglimit=25"), std::string::npos) << lines[1];
        // Every player with frags and a ping, in whatever order quakestat prints them.
        std::vector<std::string> players(lines.begin() + 2, lines.begin() + 5);
        std::sort(players.begin(), players.end());
        EXPECT_EQ(players[0].rfind("Ace\t0\t", 0), 0u) << players[0];
        EXPECT_EQ(players[1].rfind("Bob\t4\t", 0), 0u) << players[1];
        EXPECT_EQ(players[2].rfind("Cyd\t0\t", 0), 0u) << players[2];
        for (const std::string& player : players) {
            const auto fields = Split(player);
            ASSERT_GE(fields.size(), 3u) << player;
            EXPECT_GE(std::stoi(fields[2]), 0) << player; // the ping in milliseconds
        }
    }
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

TEST_F(QueryPortTest, TheMasterGetsHeartbeatsFromTheGamePortAndAValidChallengeAnswer) {
    auto server = StartServer();
    const auto heartbeat = m_Master.Receive(std::chrono::seconds(10));
    ASSERT_TRUE(heartbeat);
    EXPECT_EQ(heartbeat->m_Data,
              "\\heartbeat\\" + std::to_string(GamePort()) + "\\gamename\\dravo\\final\\\\queryid\\1.1");
    EXPECT_EQ(heartbeat->m_FromPort, GamePort());

    ASSERT_TRUE(m_Master.SendTo(GamePort(), "\\secure\\abcdef"));
    const auto validate = m_Master.Receive();
    ASSERT_TRUE(validate);
    EXPECT_EQ(validate->m_Data, "\\validate\\mxX1AsRq\\final\\\\queryid\\2.1");
    ASSERT_TRUE(m_Master.SendTo(QueryPort(), "\\secure\\XZQPVK"));
    const auto second = m_Master.Receive();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->m_Data, "\\validate\\tRmtOAh1\\final\\\\queryid\\3.1");
    EXPECT_EQ(second->m_FromPort, QueryPort()); // answered from the port that was asked

    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

TEST_F(QueryPortTest, AConsoleCommandRefreshesTheGameTypeLabel) {
    auto server = StartServer();
    UdpTestPeer client;
    auto info = [&] {
        EXPECT_TRUE(client.SendTo(QueryPort(), "\\info\\"));
        const auto answer = client.Receive();
        return answer ? answer->m_Data : std::string();
    };
    const std::string first = info();
    EXPECT_NE(first.find("\\hostport\\" + std::to_string(GamePort()) + "\\"), std::string::npos) << first;
    EXPECT_NE(first.find("\\gametype\\deathmatch\\"), std::string::npos) << first;
    server->WriteLine("\"+SpyGameType\" \"capture the flag\"");
    // Commands run one after another: once the next one shows, the labels were read again.
    server->WriteLine("\"+Marker\" \"next\"");
    ASSERT_TRUE(server->WaitForOutput("\"+Marker\" \"next\"")) << server->Output();
    EXPECT_NE(info().find("\\gametype\\capture the flag\\"), std::string::npos);
    server->WriteLine("\"+SpyGameType\" \"\"");
    server->WriteLine("\"+Marker\" \"last\"");
    ASSERT_TRUE(server->WaitForOutput("\"+Marker\" \"last\"")) << server->Output();
    EXPECT_NE(info().find("\\gametype\\capture the flag\\"), std::string::npos); // empty keeps the label
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

TEST_F(QueryPortTest, AFloodFromOneAddressGetsAtMostElevenAnswers) {
    auto server = StartServer();
    UdpTestPeer flooder;
    for (int i = 0; i < 10000; ++i) {
        (void)flooder.SendTo(QueryPort(), "\\status\\");
    }
    // Another loopback address has an allowance of its own; its answer comes after every answer to
    // the flood that made it through the socket before it.
    // The flood fills the query port's receive buffer, which drops what comes while it is full: ask
    // until the server, with the flood worked off, answers (a bounded number of times).
    UdpTestPeer other(0, "127.0.0.2");
    ASSERT_TRUE(other.IsOpen());
    std::optional<UdpTestPeer::Datagram> after;
    for (int probe = 0; probe < 100 && !after; ++probe) {
        ASSERT_TRUE(other.SendTo(QueryPort(), "\\echo\\after"));
        after = other.Receive(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(after);
    EXPECT_EQ(after->m_Data.rfind("\\echo\\after\\final\\", 0), 0u);
    int answers = 0;
    while (flooder.Receive(std::chrono::milliseconds(0))) {
        ++answers;
    }
    EXPECT_GE(answers, 10);
    EXPECT_LE(answers, 11);
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

} // namespace
} // namespace dravo
