// A name service that does not answer, end to end, in a network of the test's own: hosting and the
// ready line do not wait for the master's name, heartbeats begin once it is found, and a list server
// whose name is never found holds the stop no longer than its bound.
#include "integration/IsolatedNetwork.h"
#include "integration/PresenceFixture.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

class NameServiceTest : public test::PresenceTest {
protected:
    // Moves the test into its own network with the given resolver options; skips without the right.
    void Isolate(const std::string& options) {
        m_Game.Write("resolv.conf", "nameserver 127.0.0.1\noptions " + options + "\n");
        std::string why;
        if (!test::EnterIsolatedNetwork(m_Game.Path() / "resolv.conf", why)) {
            GTEST_SKIP() << "no network of its own for this test: " << why;
        }
    }
};

TEST_F(NameServiceTest, TheMastersNameHoldsUpNeitherHostingNorTheHeartbeatsOnceItIsFound) {
    Isolate("timeout:2 attempts:5");
    test::TestNameServer names;
    ASSERT_TRUE(names.IsOpen());
    test::UdpTestPeer master; // in the new network: the fixture's was made outside it
    Configure({{"SpyMasterHost", "master.dravo.test"}, {"SpyMasterPort", std::to_string(master.Port())}});
    auto server = StartServer();
    const auto running = server->WaitForLine("Server is running.", 0ms);
    ASSERT_TRUE(running);
    EXPECT_LT(running->m_Arrived - server->StartTime(), 1s); // the lookup waits on a thread of its own
    ASSERT_TRUE(server->WaitForOutput("GameSpy master server master.dravo.test not found; retrying every 60 "
                                      "seconds.",
                                      10s))
        << server->Output();
    EXPECT_GT(names.Questions(), 0);
    // The name service comes back: the lookup under way gets its answer, and the heartbeat goes out.
    names.StartAnswering();
    const auto heartbeat = master.Receive(15s);
    ASSERT_TRUE(heartbeat) << server->Output();
    EXPECT_EQ(heartbeat->m_Data.rfind("\\heartbeat\\" + std::to_string(GamePort()) + "\\gamename\\dravo\\", 0), 0u)
        << heartbeat->m_Data;
    EXPECT_TRUE(server->WaitForOutput("GameSpy master server master.dravo.test found at 127.0.0.1; heartbeats "
                                      "begin.",
                                      5s));
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(10s), 0);
}

TEST_F(NameServiceTest, AListWhoseNameIsNeverFoundHoldsTheStopNoLongerThanItsBound) {
    Isolate("timeout:5 attempts:2"); // the system's resolver would wait ten seconds
    test::TestNameServer names;
    ASSERT_TRUE(names.IsOpen());
    Configure({{"ServerReg", "1"}, {"UseGameSpy", "0"}, {"WebRegUrl", "http://lists.dravo.test/servers/server.asp"}});
    m_Game.Write("srv_send.txt", "");
    auto server = StartServer();
    const auto start = std::chrono::steady_clock::now();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(20s), 0) << server->Errors();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 6500ms);
    EXPECT_GT(names.Questions(), 0); // the unregistration was tried
}

} // namespace
} // namespace dravo
