#include "services/TcpServer.h"
#include "services/TcpTestClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::TcpTestClient;

// Echoes what it gets; "big" asks for more than the output limit. Records what happened.
class EchoHandler final : public ITcpHandler {
public:
    TcpServer* m_Server = nullptr;

    bool OnOpen(TcpConnectionId /*id*/, const TcpPeer& /*peer*/) override { return true; }
    void OnData(TcpConnectionId id, std::span<const char> data) override {
        const std::string text(data.data(), data.size());
        if (text == "big") {
            Record("big sent: " + std::to_string(m_Server->Send(id, std::string(1024 * 1024 + 1, 'b'))));
        } else {
            (void)m_Server->Send(id, text);
        }
    }
    void OnClosed(TcpConnectionId /*id*/, TcpCloseReason reason) override {
        Record("closed " + std::to_string(static_cast<int>(reason)));
    }
    void OnRefused(const TcpPeer& /*peer*/, TcpRefuseReason reason) override {
        Record("refused " + std::to_string(static_cast<int>(reason)));
    }
    void OnWake() override { Record("wake"); }

    bool WaitFor(const std::string& event) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, 5s,
                                  [&] { return std::find(m_Events.begin(), m_Events.end(), event) != m_Events.end(); });
    }

private:
    void Record(std::string event) {
        std::scoped_lock lock(m_Mutex);
        m_Events.push_back(std::move(event));
        m_Changed.notify_all();
    }
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<std::string> m_Events;
};

struct Served {
    EchoHandler m_Handler;
    TcpServer m_Server;

    explicit Served(const TcpServerLimits& limits) : m_Server(m_Handler, limits) {
        m_Handler.m_Server = &m_Server;
        std::string error;
        auto listener = TcpListener::Open(test::TEST_LOOPBACK, 0, error);
        EXPECT_TRUE(listener) << error;
        EXPECT_TRUE(listener && m_Server.Start(std::move(*listener)));
    }
};

std::string Event(const char* what, auto reason) {
    return std::string(what) + " " + std::to_string(static_cast<int>(reason));
}

TEST(TcpServer, EchoesAndTurnsAwayConnectionsBeyondTheLimitsOverallAndPerAddress) {
    Served served(TcpServerLimits{3, 2, 1024 * 1024, 5s});
    TcpTestClient first(served.m_Server.Port());
    TcpTestClient second(served.m_Server.Port());
    ASSERT_TRUE(first.Write("hello"));
    EXPECT_EQ(first.Read(5), "hello");
    ASSERT_TRUE(second.Write("x"));
    EXPECT_EQ(second.Read(1), "x");
    TcpTestClient third(served.m_Server.Port());
    EXPECT_TRUE(third.WaitForClose()) << "a third from the same address";
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("refused", TcpRefuseReason::TooManyFromAddress)));
    TcpTestClient other(served.m_Server.Port(), 0x7F000002);
    ASSERT_TRUE(other.Write("y"));
    EXPECT_EQ(other.Read(1), "y");
    TcpTestClient fourth(served.m_Server.Port(), 0x7F000003);
    EXPECT_TRUE(fourth.WaitForClose()) << "a fourth at all";
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("refused", TcpRefuseReason::TooMany)));
    // A place given back is free again.
    first.Close();
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("closed", TcpCloseReason::Peer)));
    TcpTestClient again(served.m_Server.Port());
    ASSERT_TRUE(again.Write("z"));
    EXPECT_EQ(again.Read(1), "z");
}

TEST(TcpServer, ClosesAConnectionAtItsDeadlineWhateverTrickles) {
    Served served(TcpServerLimits{4, 4, 1024 * 1024, 200ms});
    TcpTestClient client(served.m_Server.Port());
    // A byte at a time keeps it no longer: the deadline is the handler's, not the traffic's.
    int written = 0;
    while (!client.WaitReadable(50ms) && written < 200) {
        ASSERT_TRUE(client.Write("a") || client.Closed());
        ++written;
    }
    EXPECT_TRUE(client.WaitForClose());
    EXPECT_LT(written, 200);
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("closed", TcpCloseReason::Deadline)));
}

TEST(TcpServer, MoreOutputThanAllowedClosesTheConnection) {
    Served served(TcpServerLimits{4, 4, 1024 * 1024, 5s});
    TcpTestClient client(served.m_Server.Port());
    ASSERT_TRUE(client.Write("big"));
    EXPECT_TRUE(served.m_Handler.WaitFor("big sent: 0"));
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("closed", TcpCloseReason::Output)));
    EXPECT_TRUE(client.WaitForClose());
}

TEST(TcpServer, AWakeFromAnotherThreadReachesTheHandlerAndStopEndsEveryConnection) {
    Served served(TcpServerLimits{4, 4, 1024 * 1024, 5s});
    TcpTestClient client(served.m_Server.Port());
    ASSERT_TRUE(client.Write("q"));
    EXPECT_EQ(client.Read(1), "q");
    std::thread([&] { served.m_Server.Wake(); }).join();
    EXPECT_TRUE(served.m_Handler.WaitFor("wake"));
    served.m_Server.Stop();
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("closed", TcpCloseReason::Stopping)));
    EXPECT_TRUE(client.WaitForClose());
}

// Counts what another thread has handed over; each OnWake takes note of all of it.
class HandOverHandler final : public ITcpHandler {
public:
    std::atomic<int> m_HandedOver{0};

    bool OnOpen(TcpConnectionId /*id*/, const TcpPeer& /*peer*/) override { return true; }
    void OnData(TcpConnectionId /*id*/, std::span<const char> /*data*/) override {}
    void OnClosed(TcpConnectionId /*id*/, TcpCloseReason /*reason*/) override {}
    void OnWake() override {
        std::scoped_lock lock(m_Mutex);
        m_Seen = m_HandedOver;
        m_Changed.notify_all();
    }
    bool WaitForSeen(int count) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, 5s, [&] { return m_Seen == count; });
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    int m_Seen = 0;
};

// A wake that comes while the loop is taking the one before must not be lost, nor stop later ones from
// being heard: a hand-over would wait for a timer that may never come.
TEST(TcpServer, WakesInQuickSuccessionAreNeverLost) {
    HandOverHandler handler;
    TcpServer server(handler, TcpServerLimits{});
    std::string error;
    auto listener = TcpListener::Open(test::TEST_LOOPBACK, 0, error);
    ASSERT_TRUE(listener && server.Start(std::move(*listener))) << error;
    // Wakes as fast as one thread can give them, so that some come while the loop takes the one before.
    constexpr int WAKES = 100000;
    std::thread waker([&] {
        for (int i = 0; i < WAKES; ++i) {
            ++handler.m_HandedOver;
            server.Wake();
        }
    });
    waker.join();
    EXPECT_TRUE(handler.WaitForSeen(WAKES));
}

} // namespace
} // namespace dravo
