// The TCP server when the process has no file descriptor left for a new connection.
#include "services/TcpServer.h"
#include "services/TcpTestClient.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

// Counts refusals for want of descriptors and wakes; echoes.
class CountingHandler final : public ITcpHandler {
public:
    TcpServer* m_Server = nullptr;

    bool OnOpen(TcpConnectionId /*id*/, const NetPeer& /*peer*/) override { return true; }
    void OnData(TcpConnectionId id, std::span<const char> data) override {
        (void)m_Server->Send(id, std::string_view(data.data(), data.size()));
    }
    void OnClosed(TcpConnectionId /*id*/, TcpCloseReason /*reason*/) override {}
    void OnRefused(const NetPeer& /*peer*/, TcpRefuseReason reason) override {
        if (reason == TcpRefuseReason::OutOfDescriptors) {
            Bump(m_OutOfDescriptors);
        }
    }
    void OnWake() override { Bump(m_Wakes); }
    bool WaitFor(const int& counter, int count) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, 5s, [&] { return counter >= count; });
    }
    int OutOfDescriptors() {
        std::scoped_lock lock(m_Mutex);
        return m_OutOfDescriptors;
    }

    int m_OutOfDescriptors = 0; // guarded by m_Mutex
    int m_Wakes = 0;            // guarded by m_Mutex

private:
    void Bump(int& counter) {
        std::scoped_lock lock(m_Mutex);
        ++counter;
        m_Changed.notify_all();
    }
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
};

// Takes every descriptor the process may still open (under a lowered limit), and gives them back.
class DescriptorHog {
public:
    DescriptorHog() {
        getrlimit(RLIMIT_NOFILE, &m_Old);
        rlimit lowered = m_Old;
        lowered.rlim_cur = std::min<rlim_t>(m_Old.rlim_cur, 512);
        setrlimit(RLIMIT_NOFILE, &lowered);
        for (int descriptor = open("/dev/null", O_RDONLY | O_CLOEXEC); descriptor >= 0;
             descriptor = open("/dev/null", O_RDONLY | O_CLOEXEC)) {
            m_Held.push_back(descriptor);
        }
    }
    ~DescriptorHog() { Release(); }
    DescriptorHog(const DescriptorHog&) = delete;
    DescriptorHog& operator=(const DescriptorHog&) = delete;
    // Gives one back, for a socket of the test's own.
    void FreeOne() {
        close(m_Held.back());
        m_Held.pop_back();
    }
    void Release() {
        for (const int descriptor : m_Held) {
            close(descriptor);
        }
        m_Held.clear();
        setrlimit(RLIMIT_NOFILE, &m_Old);
    }
    bool Holding() const { return !m_Held.empty(); }

private:
    rlimit m_Old{};
    std::vector<int> m_Held;
};

TEST(TcpServerDescriptors, WithNoDescriptorLeftAcceptingPausesInsteadOfSpinning) {
    CountingHandler handler;
    test::FakeClock clock;
    TcpServer server(handler, TcpServerLimits{}, clock);
    handler.m_Server = &server;
    std::string error;
    auto listener = TcpListener::Open(test::TEST_LOOPBACK, 0, error);
    ASSERT_TRUE(listener && server.Start(std::move(*listener))) << error;

    DescriptorHog hog;
    ASSERT_TRUE(hog.Holding());
    hog.FreeOne();
    test::TcpTestClient client(server.Port()); // waits in the listener's queue: the server has no descriptor
    ASSERT_TRUE(client.IsOpen());
    ASSERT_TRUE(handler.WaitFor(handler.m_OutOfDescriptors, 1));
    // Loop passes while the connection still waits: a loop that tried again on each would say so each time.
    for (int i = 1; i <= 5; ++i) {
        server.Wake();
        ASSERT_TRUE(handler.WaitFor(handler.m_Wakes, i));
    }
    EXPECT_EQ(handler.OutOfDescriptors(), 1) << "the listener was not tried again within the pause";

    hog.Release();
    clock.Advance(1000);
    server.Wake();
    ASSERT_TRUE(client.Write("q"));
    EXPECT_EQ(client.Read(1), "q") << "taken once the pause ended and descriptors were free";
}

} // namespace
} // namespace dravo
