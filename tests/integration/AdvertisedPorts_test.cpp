// The real dravoserv behind a loopback port mapping (a UDP relay standing in for a NAT or a fleet's node
// port): the master's heartbeat, the GameSpy answers and A2S_INFO name the outside port, whether the
// operator set it or the stand-in sidecar's game server reports it.
#include "integration/PresenceFixture.h"
#include "net/A2sReader.h"
#include "net/query/A2sPacket.h"
#include "support/LoopbackPorts.h"
#include "support/SdkStandIn.h"
#include "support/UdpRelay.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::A2sReader;
using test::A2sRequest;
using test::UdpRelay;
using test::UdpTestPeer;

class AdvertisedPortsTest : public test::PresenceTest {
protected:
    static std::string Heartbeat(uint16_t port) {
        return "\\heartbeat\\" + std::to_string(port) + "\\gamename\\dravo\\final\\\\queryid\\";
    }
    // Heartbeats until one names `port`, at most a few; false when none did.
    bool HeartbeatNames(uint16_t port, std::string& seen) {
        for (int i = 0; i < 3; ++i) {
            const auto heartbeat = m_Master.Receive(10s);
            if (!heartbeat) {
                return false;
            }
            seen += heartbeat->m_Data + "\n";
            if (heartbeat->m_Data.rfind(Heartbeat(port), 0) == 0) {
                return true;
            }
        }
        return false;
    }
    // The GameSpy \basic\\info\ answer asked through `port`, whole.
    static std::string AskInfo(UdpTestPeer& client, uint16_t port) {
        EXPECT_TRUE(client.SendTo(port, "\\basic\\\\info\\"));
        std::string whole;
        for (const std::string& packet : client.ReceiveAnswer()) {
            whole += packet;
        }
        return whole;
    }
    // The game port that A2S_INFO's extra data names, asked through `port` with its challenge.
    static uint16_t A2sGamePort(UdpTestPeer& client, uint16_t port) {
        EXPECT_TRUE(client.SendTo(port, A2sRequest('T', a2s::INFO_PAYLOAD, nullptr)));
        const auto challenge = client.Receive();
        if (!challenge) {
            ADD_FAILURE() << "no challenge";
            return 0;
        }
        A2sReader challengeReader(challenge->m_Data);
        EXPECT_EQ(challengeReader.Header(), a2s::CHALLENGE_ANSWER);
        const auto value = static_cast<uint32_t>(challengeReader.Long());
        EXPECT_TRUE(client.SendTo(port, A2sRequest('T', a2s::INFO_PAYLOAD, &value)));
        const auto answer = client.Receive();
        if (!answer) {
            ADD_FAILURE() << "no A2S_INFO";
            return 0;
        }
        A2sReader info(answer->m_Data);
        EXPECT_EQ(info.Header(), a2s::INFO_ANSWER);
        (void)info.Byte();
        for (int i = 0; i < 4; ++i) {
            (void)info.Text(); // name, map, folder, game
        }
        (void)info.Short();
        for (int i = 0; i < 7; ++i) {
            (void)info.Byte(); // players, most, bots, type, environment, visibility, secured
        }
        (void)info.Text();
        EXPECT_EQ(info.Byte(), a2s::EDF_GAME_PORT);
        const uint16_t gamePort = info.Short();
        EXPECT_TRUE(info.Ok() && info.AtEnd());
        return gamePort;
    }
    // Everything a client and the master see through the relay names the relay's port.
    void ExpectOutsidePortEverywhere(UdpRelay& relay, const std::string& seen) {
        UdpTestPeer client;
        const std::string info = AskInfo(client, relay.Port());
        EXPECT_NE(info.find("\\hostport\\" + std::to_string(relay.Port()) + "\\"), std::string::npos) << info;
        EXPECT_NE(info.find("\\hostname\\Loopback Arena\\"), std::string::npos) << info;
        EXPECT_EQ(A2sGamePort(client, relay.Port()), relay.Port()) << seen;
    }
};

TEST_F(AdvertisedPortsTest, TheOperatorsPortIsNamedInHeartbeatsAndAnswersThroughTheMapping) {
    const uint16_t outside = test::FreeUdpPort();
    auto server = StartServer({"+AdvertisedPort", std::to_string(outside)});
    UdpRelay relay(outside, GamePort());
    ASSERT_TRUE(relay.IsOpen());
    std::string seen;
    ASSERT_TRUE(HeartbeatNames(relay.Port(), seen)) << seen << server->Output();
    EXPECT_EQ(seen.find(Heartbeat(GamePort())), std::string::npos) << "the bound port was named: " << seen;
    ExpectOutsidePortEverywhere(relay, seen);
    // The query port, asked directly, names the same game port.
    UdpTestPeer direct;
    const std::string info = AskInfo(direct, QueryPort());
    EXPECT_NE(info.find("\\hostport\\" + std::to_string(relay.Port()) + "\\"), std::string::npos) << info;
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

TEST_F(AdvertisedPortsTest, TheSidecarsExternalPortIsNamedOnceTheWatchBringsIt) {
    const uint16_t outside = test::FreeUdpPort();
    test::SdkStandIn sidecar;
    sidecar.SetPorts({{"game", outside}, {"other", 70000}});
    ASSERT_TRUE(sidecar.Start());
    auto server = StartServer({"+AgonesSdkPort", std::to_string(sidecar.Port())});
    UdpRelay relay(outside, GamePort());
    ASSERT_TRUE(relay.IsOpen());
    std::string seen;
    ASSERT_TRUE(HeartbeatNames(relay.Port(), seen)) << seen << server->Output();
    ExpectOutsidePortEverywhere(relay, seen);
    EXPECT_TRUE(server->WaitForOutput("Agones SDK: the game server's game port is " + std::to_string(relay.Port()) +
                                      "; heartbeats and answers name it."))
        << server->Output();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

TEST_F(AdvertisedPortsTest, TheOperatorsPortWinsOverTheSidecarsAndAPortOutOfRangeIsSaidAndIgnored) {
    const uint16_t outside = test::FreeUdpPort();
    test::SdkStandIn sidecar;
    sidecar.SetPorts({{"game", 40000}, {"query", 0}});
    ASSERT_TRUE(sidecar.Start());
    auto server =
        StartServer({"+AgonesSdkPort", std::to_string(sidecar.Port()), "+AdvertisedPort", std::to_string(outside)});
    UdpRelay relay(outside, GamePort());
    ASSERT_TRUE(relay.IsOpen());
    EXPECT_TRUE(server->WaitForOutput("Agones SDK: the game server's game port is 40000; AdvertisedPort " +
                                      std::to_string(relay.Port()) + " is named instead."))
        << server->Output();
    EXPECT_TRUE(server->WaitForOutput("Agones SDK: the game server's port \"query\" (0) is no port from 1 to "
                                      "65535; not taken."))
        << server->Output();
    std::string seen;
    ASSERT_TRUE(HeartbeatNames(relay.Port(), seen)) << seen;
    EXPECT_EQ(seen.find(Heartbeat(40000)), std::string::npos) << seen;
    ExpectOutsidePortEverywhere(relay, seen);
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

} // namespace
} // namespace dravo
