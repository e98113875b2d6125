// Web registration end to end: dravoserv hosting with dravo-bot players, registering on
// server lists served by a loopback HTTP server.
#include "integration/PresenceFixture.h"
#include "net/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dravo {
namespace {

using test::LoopbackHttpServer;
using test::UdpTestPeer;

class WebRegistrationTest : public test::PresenceTest {
protected:
    LoopbackHttpServer m_Lists;

    void SetUp() override {
        PresenceTest::SetUp();
        Configure({{"ServerReg", "1"}, {"UseGameSpy", "0"}, {"WebRegUrl", m_Lists.Url()}});
    }
    // The query every request of the running game carries, with the player count.
    std::string Query(const std::string& players) const {
        return "?game=Dravo&name=Loopback+Arena&ip=127.0.0.1:" + std::to_string(GamePort()) + "&players=" + players +
               "&version=2.1 HTTP/1.1";
    }
};

TEST_F(WebRegistrationTest, RegistersAfterSevenSecondsAndUnregistersAtShutdown) {
    m_Game.Write("srv_send.txt", m_Lists.Url("/second/list.asp") + "\n");
    auto server = StartServer();
    auto bots = StartBots("Ace,Bob", 60);
    for (const char* name : {"Ace", "Bob"}) {
        ASSERT_TRUE(server->WaitForOutput(std::string(name) + " joined the game.")) << server->Output();
    }
    ASSERT_TRUE(m_Lists.WaitForRequests(2, std::chrono::seconds(20)));
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
    const auto requests = m_Lists.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].m_Line, "GET /servers/server.asp" + Query("2"));
    EXPECT_EQ(requests[1].m_Line, "GET /second/list.asp" + Query("2"));
    EXPECT_EQ(requests[2].m_Line, "GET /servers/server.asp" + Query("-1"));
    EXPECT_EQ(requests[3].m_Line, "GET /second/list.asp" + Query("-1"));
    for (const auto& request : requests) {
        EXPECT_EQ(request.m_UserAgent, "Dravo");
    }
}

TEST_F(WebRegistrationTest, StoppingAtOnceUnregistersOnlyWithTheRegistrationFile) {
    auto server = StartServer();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
    EXPECT_TRUE(m_Lists.Requests().empty()); // no srv_send.txt: nothing at all

    m_Game.Write("srv_send.txt", "");
    server = StartServer();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
    const auto requests = m_Lists.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].m_Line, "GET /servers/server.asp" + Query("-1"));
}

TEST_F(WebRegistrationTest, AHangingListNeitherStallsTheGameNorHoldsTheShutdown) {
    LoopbackHttpServer hanging(LoopbackHttpServer::Mode::Hang);
    Configure({{"UseGameSpy", "1"}, {"SpyRateBurst", "0"}, {"WebRegUrl", hanging.Url()}});
    m_Game.Write("srv_send.txt", "");
    auto server = StartServer();
    ASSERT_TRUE(hanging.WaitForRequests(1, std::chrono::seconds(20)));

    // While the request hangs, the update steps go on: queries are answered at once.
    UdpTestPeer client;
    std::chrono::steady_clock::duration slowest{};
    for (int i = 0; i < 20; ++i) {
        const auto sent = std::chrono::steady_clock::now();
        ASSERT_TRUE(client.SendTo(QueryPort(), "\\echo\\" + std::to_string(i)));
        const auto answer = client.Receive(std::chrono::seconds(2));
        ASSERT_TRUE(answer) << i;
        slowest = std::max(slowest, std::chrono::steady_clock::now() - sent);
    }
    // Generous: a blocked step would take the request's 5 s.
    EXPECT_LT(slowest, std::chrono::milliseconds(1000));
    std::cout << "slowest answer while the list hangs: "
              << std::chrono::duration_cast<std::chrono::microseconds>(slowest).count() << " us\n";

    const auto start = std::chrono::steady_clock::now();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(std::chrono::seconds(15)), 0) << server->Errors();
    const auto shutdown = std::chrono::steady_clock::now() - start;
    EXPECT_LT(shutdown, std::chrono::milliseconds(7000));
    std::cout << "shutdown took " << std::chrono::duration_cast<std::chrono::milliseconds>(shutdown).count() << " ms\n";
}

TEST_F(WebRegistrationTest, NoRegistrationFollowsTheUnregistrationOfASlowList) {
    LoopbackHttpServer slow(LoopbackHttpServer::Mode::Slow, std::chrono::milliseconds(800));
    Configure({{"WebRegUrl", slow.Url()}, {"WebRegUpdate", "1.5"}}); // a registration every second
    m_Game.Write("srv_send.txt", "");
    auto server = StartServer();
    ASSERT_TRUE(slow.WaitForRequests(2, std::chrono::seconds(20))); // registrations queue behind the slow ones
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
    const auto lines = slow.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "GET /servers/server.asp" + Query("-1")); // the last request of all
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("players=-1") != std::string::npos; }),
              1);
}

} // namespace
} // namespace dravo
