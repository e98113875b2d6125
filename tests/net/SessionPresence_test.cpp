// The session's internet presence: the reporter started from the overrides, the game-port
// road, the registration ticks of the update step, and the stop.
#include "host/SessionFixture.h"
#include "net/LoopbackHttpServer.h"
#include "net/UdpTestPeer.h"
#include "support/LiveProcess.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using List = std::vector<std::string>;

class SessionPresenceTest : public test::SessionTest {
protected:
    test::UdpTestPeer m_Master;
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
    // A game-port datagram, delivered the way the engine does: inside a frame.
    void Deliver(std::string_view data, const uint8_t address[4] = LOOPBACK) {
        m_Engine.m_OnFrame = [this, data, address] {
            m_Session->OnForeignDatagram(data.data(), static_cast<uint32_t>(data.size()), address, 5555);
        };
        Step(10);
        m_Engine.m_OnFrame = nullptr;
    }
    static constexpr uint8_t LOOPBACK[4] = {127, 0, 0, 1};
};

TEST_F(SessionPresenceTest, HostingStartsTheReporterOnTheQueryPortAndStopEndsIt) {
    Host();
    ServerStatusReporter& reporter = m_Session->Reporter();
    ASSERT_TRUE(reporter.IsInitialized());
    EXPECT_EQ(reporter.QueryPort(), m_QueryPort);
    EXPECT_EQ(reporter.HostPort(), 27999);
    EXPECT_EQ(reporter.MasterHost(), "127.0.0.1");
    Step(0);
    EXPECT_EQ(reporter.NextQueryId(), 2u); // the first step sent the heartbeat
    m_Session->StopHosting();
    EXPECT_FALSE(reporter.IsInitialized());
    EXPECT_EQ(m_Host.m_GameSpy, 1); // still asked for, for a later game
}

TEST_F(SessionPresenceTest, ATakenQueryPortTurnsReportingOffForTheRun) {
    test::UdpTestPeer squatter;
    m_Engine.m_Variables["SpyQueryPort"] = std::to_string(squatter.Port());
    Host();
    EXPECT_FALSE(m_Session->Reporter().IsInitialized());
    EXPECT_EQ(m_Host.m_GameSpy, 0);
    Deliver("\\echo\\x");
    EXPECT_EQ(m_Session->Reporter().NextQueryId(), 1u);
}

TEST_F(SessionPresenceTest, GamePortDatagramsStartingWithABackslashAreAnswered) {
    Host();
    Step(0);
    const uint32_t first = m_Session->Reporter().NextQueryId();
    Deliver("\\echo\\x");
    EXPECT_EQ(m_Session->Reporter().NextQueryId(), first + 1);
    Deliver("echo\\x");
    Deliver("");
    EXPECT_EQ(m_Session->Reporter().NextQueryId(), first + 1);
    m_Host.m_GameSpy = 0;
    Deliver("\\echo\\x");
    EXPECT_EQ(m_Session->Reporter().NextQueryId(), first + 1);
}

TEST_F(SessionPresenceTest, WithoutGameSpyNoSocketIsOpened) {
    m_Host.m_GameSpy = 0;
    Host();
    EXPECT_FALSE(m_Session->Reporter().IsInitialized());
    test::UdpTestPeer sameQueryPort(m_QueryPort); // still free
    EXPECT_TRUE(sameQueryPort.IsOpen());
}

TEST_F(SessionPresenceTest, UpdateStepsRegisterAndStoppingUnregisters) {
    test::LoopbackHttpServer lists;
    m_Directory.Write("srv_send.txt", "");
    m_Host.m_WebRegistration = 1;
    std::strcpy(m_Host.m_ServerName, "Test Server");
    m_Engine.m_Variables["WebRegUrl"] = lists.Url();
    m_Engine.m_Variables["WebRegUpdate"] = "2.5";
    m_Engine.AddClient("Ace", 4, 0.02f);
    Host();
    EXPECT_EQ(m_Session->Registrar().BaseUrl(), lists.Url());
    EXPECT_EQ(m_Session->Registrar().PeriodSeconds(), 2u);
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
