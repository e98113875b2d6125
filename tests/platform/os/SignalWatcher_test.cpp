// Signals turned into calls on the watching thread: each to its one owner, the old handling restored.
#include "platform/os/SignalWatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;

// Records the signals a watcher receives and waits for them.
class Received {
public:
    SignalWatcher::Handler Handler() {
        return [this](Signal signal) {
            std::scoped_lock lock(m_Mutex);
            m_Signals.push_back(signal);
            m_Changed.notify_all();
        };
    }
    bool WaitFor(size_t count) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, 10s, [&] { return m_Signals.size() >= count; });
    }
    std::vector<Signal> Signals() {
        std::scoped_lock lock(m_Mutex);
        return m_Signals;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<Signal> m_Signals;
};

struct sigaction Handling(int number) {
    struct sigaction current {};
    sigaction(number, nullptr, &current);
    return current;
}

TEST(SignalWatcher, EachSignalReachesItsOwnerAlone) {
    Received stops;
    Received others;
    SignalWatcher stopWatcher({Signal::Terminate, Signal::Interrupt}, stops.Handler());
    SignalWatcher otherWatcher({Signal::Hangup, Signal::Resize}, others.Handler());
    ASSERT_TRUE(stopWatcher.IsWatching());
    ASSERT_TRUE(otherWatcher.IsWatching());
    // Each would end the test program (or be lost) without its watcher.
    ASSERT_EQ(raise(SIGTERM), 0);
    ASSERT_TRUE(stops.WaitFor(1));
    ASSERT_EQ(raise(SIGHUP), 0);
    ASSERT_TRUE(others.WaitFor(1));
    ASSERT_EQ(raise(SIGINT), 0);
    ASSERT_TRUE(stops.WaitFor(2));
    ASSERT_EQ(raise(SIGWINCH), 0);
    ASSERT_TRUE(others.WaitFor(2));
    EXPECT_EQ(stops.Signals(), (std::vector<Signal>{Signal::Terminate, Signal::Interrupt}));
    EXPECT_EQ(others.Signals(), (std::vector<Signal>{Signal::Hangup, Signal::Resize}));
}

TEST(SignalWatcher, OneOwnerASignalAndThePreviousHandlingComesBack) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGHUP, &ignore, &before), 0);
    {
        SignalWatcher first({Signal::Hangup}, [](Signal) {});
        SignalWatcher second({Signal::Hangup, Signal::Resize}, [](Signal) {});
        EXPECT_TRUE(first.IsWatching());
        EXPECT_FALSE(second.IsWatching()); // it took Resize only
        EXPECT_NE(Handling(SIGWINCH).sa_handler, SIG_DFL);
    }
    EXPECT_EQ(Handling(SIGHUP).sa_handler, SIG_IGN);
    EXPECT_EQ(Handling(SIGWINCH).sa_handler, SIG_DFL);
    ASSERT_EQ(sigaction(SIGHUP, &before, nullptr), 0);

    Received again;
    SignalWatcher later({Signal::Hangup}, again.Handler()); // the first one gave it back
    EXPECT_TRUE(later.IsWatching());
    ASSERT_EQ(raise(SIGHUP), 0);
    EXPECT_TRUE(again.WaitFor(1));
}

// From the first instruction of main until its owner watches it, a signal waits instead of ending the
// program; once released it reaches the owner.
TEST(SignalWatcher, AHeldSignalWaitsForItsOwner) {
    HoldSignals({Signal::Hangup});
    ASSERT_EQ(raise(SIGHUP), 0); // would end the test program were it not held
    Received hangups;
    SignalWatcher watcher({Signal::Hangup}, hangups.Handler());
    ReleaseSignals({Signal::Hangup});
    EXPECT_TRUE(hangups.WaitFor(1));
    EXPECT_EQ(hangups.Signals(), std::vector<Signal>{Signal::Hangup});
}

} // namespace
} // namespace dravo
