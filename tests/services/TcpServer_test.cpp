#include "services/TcpServer.h"
#include "services/TcpTestClient.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::TcpTestClient;

// Echoes what it gets, and takes a connection that said something as established; "big" asks for more
// than the output limit, "bulk" for 4 MiB. Records what happened.
constexpr size_t BULK_BYTES = size_t{4} * 1024 * 1024;

class EchoHandler final : public ITcpHandler {
public:
    TcpServer* m_Server = nullptr;

    bool OnOpen(TcpConnectionId /*id*/, const NetPeer& /*peer*/) override {
        Record("open");
        return true;
    }
    void OnData(TcpConnectionId id, std::span<const char> data) override {
        const std::string text(data.data(), data.size());
        m_Server->SetEstablished(id);
        if (text == "bulk") {
            Record("bulk sent: " + std::to_string(m_Server->Send(id, std::string(BULK_BYTES, 'k'))));
        } else if (text == "big") {
            Record("big sent: " + std::to_string(m_Server->Send(id, std::string(1024 * 1024 + 1, 'b'))));
        } else {
            (void)m_Server->Send(id, text);
        }
    }
    void OnClosed(TcpConnectionId /*id*/, TcpCloseReason reason) override {
        Record("closed " + std::to_string(static_cast<int>(reason)));
    }
    void OnRefused(const NetPeer& /*peer*/, TcpRefuseReason reason) override {
        Record("refused " + std::to_string(static_cast<int>(reason)));
    }
    void OnWake() override { Record("wake"); }
    size_t Count(const std::string& event) {
        std::scoped_lock lock(m_Mutex);
        return static_cast<size_t>(std::count(m_Events.begin(), m_Events.end(), event));
    }

    bool WaitFor(const std::string& event, size_t count = 1) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, 5s, [&] {
            return static_cast<size_t>(std::count(m_Events.begin(), m_Events.end(), event)) >= count;
        });
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
    test::FakeClock m_Clock;
    TcpServer m_Server;

    explicit Served(const TcpServerLimits& limits) : m_Server(m_Handler, limits, m_Clock) {
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
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(client.Write("a"));
        EXPECT_EQ(client.Read(static_cast<size_t>(i) + 1).size(), static_cast<size_t>(i) + 1) << "still served";
        served.m_Clock.Advance(60);
    }
    EXPECT_FALSE(client.Closed());
    served.m_Clock.Advance(20);
    served.m_Server.Wake();
    EXPECT_TRUE(client.WaitForClose());
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

// Idle connections that never said a word fill every place; a client with something to say still gets
// in, in the place of the oldest idle one, overall and from its own address.
TEST(TcpServer, TheOldestIdleConnectionMakesRoomForANewOne) {
    Served served(TcpServerLimits{4, 2, 1024 * 1024, 5s});
    std::vector<std::unique_ptr<TcpTestClient>> idle;
    for (uint32_t i = 0; i < 4; ++i) {
        idle.push_back(std::make_unique<TcpTestClient>(served.m_Server.Port(), test::TEST_LOOPBACK + 1 + i / 2));
        ASSERT_TRUE(served.m_Handler.WaitFor("open", i + 1)) << "taken in order";
    }
    TcpTestClient admin(served.m_Server.Port(), test::TEST_LOOPBACK + 9);
    ASSERT_TRUE(admin.Write("hello"));
    EXPECT_EQ(admin.Read(5), "hello");
    EXPECT_TRUE(idle[0]->WaitForClose()) << "the oldest idle one made room";
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("closed", TcpCloseReason::Displaced)));
    // The third from an address that has two: its own oldest idle one makes room.
    TcpTestClient third(served.m_Server.Port(), test::TEST_LOOPBACK + 2);
    ASSERT_TRUE(third.Write("x"));
    EXPECT_EQ(third.Read(1), "x");
    EXPECT_TRUE(idle[2]->WaitForClose());
    EXPECT_FALSE(admin.Closed());
    // With every place held by a connection that has spoken, a new one is refused.
    for (const size_t spoken : {1, 3}) {
        ASSERT_TRUE(idle[spoken]->Write("y"));
        EXPECT_EQ(idle[spoken]->Read(1), "y");
    }
    TcpTestClient late(served.m_Server.Port(), test::TEST_LOOPBACK + 10);
    EXPECT_TRUE(late.WaitForClose());
    EXPECT_TRUE(served.m_Handler.WaitFor(Event("refused", TcpRefuseReason::TooMany)));
}

// A stop sends what is queued before it closes: an answer that is ready is not lost.
TEST(TcpServer, AStopSendsWhatIsQueuedBeforeClosing) {
    Served served(TcpServerLimits{4, 4, 2 * BULK_BYTES, 5s});
    TcpTestClient client(served.m_Server.Port());
    ASSERT_TRUE(client.Write("bulk"));
    ASSERT_TRUE(served.m_Handler.WaitFor("bulk sent: 1"));
    std::thread stopper([&] { served.m_Server.Stop(); });
    EXPECT_EQ(client.Read(BULK_BYTES).size(), BULK_BYTES);
    stopper.join();
    EXPECT_TRUE(client.WaitForClose());
}

// Counts what another thread has handed over; each OnWake takes note of all of it.
class HandOverHandler final : public ITcpHandler {
public:
    std::atomic<int> m_HandedOver{0};

    bool OnOpen(TcpConnectionId /*id*/, const NetPeer& /*peer*/) override { return true; }
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
    test::FakeClock clock;
    TcpServer server(handler, TcpServerLimits{}, clock);
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
