// The session's internet presence: the reporter started from the overrides, the game-port
// road, the registration ticks of the update step, and the stop, seen from the network.
#include "host/session/SessionFixture.h"
#include "net/LoopbackHttpServer.h"
#include "net/UdpTestPeer.h"
#include "support/LoopbackPorts.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using List = std::vector<std::string>;

class InternetPresenceTest : public test::SessionTest {
protected:
    test::UdpTestPeer m_Master;
    test::UdpTestPeer m_Client;
    uint16_t m_QueryPort = test::FreeUdpPort();

    void SetUp() override {
        SessionTest::SetUp();
        m_Host.m_GameSpy = 1;
        m_Engine.m_HostAddress = "127.1.2.3";
        m_Engine.m_HostPort = 27999;
        m_Engine.m_Variables["SpyMasterHost"] = "127.0.0.1";
        m_Engine.m_Variables["SpyMasterPort"] = std::to_string(m_Master.Port());
        m_Engine.m_Variables["SpyQueryPort"] = std::to_string(m_QueryPort);
    }
    // Hosts with the reporter on the query port, one leased to this test.
    void HostReporting() { Host(); }
    // A game-port datagram, delivered the way the engine does: inside a frame.
    void Deliver(std::string_view data) {
        static constexpr uint8_t LOOPBACK[4] = {127, 0, 0, 1};
        m_Engine.m_OnFrame = [this, data] {
            m_Engine.m_Handler->OnForeignDatagram(data.data(), static_cast<uint32_t>(data.size()), LOOPBACK, 5555);
        };
        Step(10);
        m_Engine.m_OnFrame = nullptr;
    }
    // A query to the query port, answered by the next step.
    std::vector<std::string> Ask(std::string_view query) {
        EXPECT_TRUE(m_Client.SendTo(m_QueryPort, query));
        Step(10);
        return m_Client.ReceiveAnswer(16, std::chrono::milliseconds(2000));
    }
};

TEST_F(InternetPresenceTest, HostingStartsTheReporterOnTheQueryPortAndStopEndsIt) {
    HostReporting();
    Step(0);
    // The heartbeat leaves through the engine's game port, to the master.
    const auto sent = m_Engine.GameDatagrams();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].m_Data, "\\heartbeat\\27999\\gamename\\dravo\\final\\\\queryid\\1.1");
    EXPECT_EQ(sent[0].m_Address, "127.0.0.1");
    EXPECT_EQ(sent[0].m_Port, m_Master.Port());
    const List basic = Ask("\\basic\\");
    ASSERT_EQ(basic.size(), 1u);
    EXPECT_EQ(basic[0], "\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0\\final\\\\queryid\\2.1");
    m_Session->StopHosting();
    test::UdpTestPeer sameQueryPort(m_QueryPort); // free again
    EXPECT_TRUE(sameQueryPort.IsOpen());
    EXPECT_EQ(m_Host.m_GameSpy, 1); // still asked for, for a later game
}

TEST_F(InternetPresenceTest, ATakenQueryPortTurnsReportingOffForTheRun) {
    test::UdpTestPeer squatter;
    m_Engine.m_Variables["SpyQueryPort"] = std::to_string(squatter.Port());
    Host();
    EXPECT_EQ(m_Host.m_GameSpy, 0);
    Deliver("\\echo\\x");
    EXPECT_TRUE(m_Engine.GameDatagrams().empty()); // neither answer nor heartbeat
}

TEST_F(InternetPresenceTest, GamePortDatagramsStartingWithABackslashAreAnsweredThroughTheGamePort) {
    HostReporting();
    Step(0);
    Deliver("\\echo\\x");
    auto sent = m_Engine.GameDatagrams();
    ASSERT_EQ(sent.size(), 2u); // the heartbeat, then the answer
    EXPECT_EQ(sent[1].m_Data, "\\echo\\x\\final\\\\queryid\\2.1");
    EXPECT_EQ(sent[1].m_Address, "127.0.0.1");
    EXPECT_EQ(sent[1].m_Port, 5555u);
    Deliver("echo\\x");
    Deliver("");
    m_Host.m_GameSpy = 0;
    Deliver("\\echo\\x");
    EXPECT_EQ(m_Engine.GameDatagrams().size(), 2u);
}

TEST_F(InternetPresenceTest, TheSpyLabelsAreReadAtTheStartAndAfterEachCommand) {
    m_Engine.m_Variables["SpyGameType"] = "ctf";
    HostReporting();
    Step(0);
    auto info = Ask("\\info\\");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_NE(info[0].find("\\gametype\\ctf\\"), std::string::npos) << info[0];
    EXPECT_NE(info[0].find("\\gamemode\\openplaying\\"), std::string::npos) << info[0];
    m_Engine.m_Variables["SpyGameMode"] = "closedplaying";
    m_Session->RefreshSpyLabels();
    info = Ask("\\info\\");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_NE(info[0].find("\\gamemode\\closedplaying\\"), std::string::npos) << info[0];
}

TEST_F(InternetPresenceTest, WithoutGameSpyNoSocketIsOpened) {
    m_Host.m_GameSpy = 0;
    Host();
    test::UdpTestPeer sameQueryPort(m_QueryPort); // still free
    EXPECT_TRUE(sameQueryPort.IsOpen());
}

TEST_F(InternetPresenceTest, UpdateStepsRegisterAndStoppingUnregisters) {
    test::LoopbackHttpServer lists;
    m_Directory.Write("srv_send.txt", "");
    m_Host.m_WebRegistration = 1;
    std::strcpy(m_Host.m_ServerName, "Test Server");
    m_Engine.m_Variables["WebRegUrl"] = lists.Url();
    m_Engine.m_Variables["WebRegUpdate"] = "2.5";
    m_Engine.AddClient("Ace", 4, 0.02f);
    Host();
    Step(0);
    Step(6999);
    Step(1);
    ASSERT_TRUE(lists.WaitForRequests(1));
    Step(1999);
    Step(1);
    ASSERT_TRUE(lists.WaitForRequests(2));
    m_Session->StopHosting();
    const std::string query = "?game=Dravo&name=Test+Server&ip=127.1.2.3:27999&players=";
    EXPECT_EQ(lists.Lines(), (List{"GET /servers/server.asp" + query + "1&version=2.1 HTTP/1.1",
                                   "GET /servers/server.asp" + query + "1&version=2.1 HTTP/1.1",
                                   "GET /servers/server.asp" + query + "-1&version=2.1 HTTP/1.1"}));
    m_Session->StopHosting(); // not running: no second unregistration
    EXPECT_EQ(lists.Lines().size(), 3u);
}

} // namespace
} // namespace dravo
