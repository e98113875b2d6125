// The ports the reporter names when a NAT maps others onto the bound ones: who wins, the heartbeat that
// follows a change at once, and answers kept ready that are written anew.
#include "net/A2sReader.h"
#include "net/ReporterFixture.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using test::A2sReader;
using test::A2sRequest;

TEST(AdvertisedPorts, TheOperatorWinsOverTheFleetAndEachPortFallsBackToTheBoundOne) {
    AdvertisedPorts ports;
    EXPECT_EQ(ports.Game(27888), 27888);
    EXPECT_EQ(ports.Query(25554), 25554);
    const uint32_t start = ports.Revision();
    ports.SetByFleet({33700, 33701});
    EXPECT_EQ(ports.Game(27888), 33700);
    EXPECT_EQ(ports.Query(25554), 33701);
    ports.SetByOperator({40000, 0});
    EXPECT_EQ(ports.Game(27888), 40000);
    EXPECT_EQ(ports.Query(25554), 33701); // the operator set only the game port
    EXPECT_EQ(ports.Revision(), start + 2);
    ports.SetByFleet({33700, 33701}); // the same again is no change
    EXPECT_EQ(ports.Revision(), start + 2);
    ports.SetByFleet({65535, 1});
    EXPECT_EQ(ports.ByFleet().m_Game, 65535);
    EXPECT_EQ(ports.ByFleet().m_Query, 1);
    ports.SetByOperator({});
    ports.SetByFleet({});
    EXPECT_EQ(ports.Game(27888), 27888);
}

class AdvertisedPortsReporterTest : public test::ReporterTest {
protected:
    AdvertisedPorts m_Ports;
    test::RecordingSendHook m_Hook;

    void SetUp() override {
        ReporterTest::SetUp();
        m_Reporter.SetAdvertisedPorts(&m_Ports);
        Start();
        m_Reporter.SetSendHook(&m_Hook);
    }
    std::string Info() {
        std::string whole;
        for (const std::string& packet : Ask("\\info\\")) {
            whole += packet;
        }
        return whole;
    }
    uint16_t A2sPort() {
        EXPECT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), A2sRequest('T', a2s::INFO_PAYLOAD, nullptr)));
        Pump();
        const auto challenge = m_Client.Receive();
        EXPECT_TRUE(challenge);
        A2sReader taken(challenge ? challenge->m_Data : std::string());
        (void)taken.Header();
        const auto value = static_cast<uint32_t>(taken.Long());
        EXPECT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), A2sRequest('T', a2s::INFO_PAYLOAD, &value)));
        Pump();
        const auto answer = m_Client.Receive();
        EXPECT_TRUE(answer);
        const std::string data = answer ? answer->m_Data : std::string();
        // The extra data ends the answer: its flag, then the game port.
        return data.size() >= 3 && static_cast<uint8_t>(data[data.size() - 3]) == a2s::EDF_GAME_PORT
                   ? static_cast<uint16_t>(static_cast<uint8_t>(data[data.size() - 2]) |
                                           (static_cast<uint8_t>(data[data.size() - 1]) << 8))
                   : 0;
    }
};

TEST_F(AdvertisedPortsReporterTest, APortLearntLateGoesToTheMasterAtOnceAndIntoTheAnswers) {
    (void)m_Reporter.Process();
    ASSERT_EQ(m_Hook.m_Sent.size(), 1u);
    EXPECT_EQ(m_Hook.m_Sent[0].m_Data, "\\heartbeat\\27960\\gamename\\dravo\\final\\\\queryid\\1.1");
    EXPECT_NE(Info().find("\\hostport\\27960\\"), std::string::npos);
    EXPECT_EQ(A2sPort(), GAME_PORT);

    m_Ports.SetByFleet({33700, 0});
    m_Clock.Advance(10);
    (void)m_Reporter.Process();
    ASSERT_EQ(m_Hook.m_Sent.size(), 2u); // not a period later
    EXPECT_EQ(m_Hook.m_Sent[1].m_Data.rfind("\\heartbeat\\33700\\gamename\\dravo\\final\\", 0), 0u);
    const std::string info = Info();
    EXPECT_NE(info.find("\\hostport\\33700\\"), std::string::npos) << info;
    EXPECT_EQ(A2sPort(), 33700);

    // Nothing changed: the next heartbeat waits for its period.
    m_Clock.Advance(10);
    (void)m_Reporter.Process();
    EXPECT_EQ(m_Hook.m_Sent.size(), 2u);
    m_Ports.SetByOperator({40000, 0});
    (void)m_Reporter.Process();
    ASSERT_EQ(m_Hook.m_Sent.size(), 3u);
    EXPECT_EQ(m_Hook.m_Sent[2].m_Data.rfind("\\heartbeat\\40000\\", 0), 0u) << m_Hook.m_Sent[2].m_Data;
    EXPECT_EQ(A2sPort(), 40000);
}

TEST_F(AdvertisedPortsReporterTest, ADatagramFromTheBoundGamePortIsStillOurOwnWhateverIsAdvertised) {
    m_Ports.SetByOperator({33700, 0});
    (void)m_Reporter.Process();
    m_Hook.m_Sent.clear();
    EXPECT_EQ(AskGamePort(Peer("127.0.0.1", GAME_PORT), "\\status\\"), 0);
    EXPECT_TRUE(m_Hook.m_Sent.empty());
}

} // namespace
} // namespace dravo
