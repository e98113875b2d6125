// SIGTERM and SIGINT reach the watcher instead of ending the process; one watcher at a time.
#include "platform/window/TerminationSignals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>

namespace dravo {
namespace {

using namespace std::chrono_literals;

TEST(TerminationSignals, BothSignalsReachTheWatcher) {
    std::mutex mutex;
    std::condition_variable changed;
    int received = 0;
    TerminationSignals signals([&] {
        {
            std::lock_guard lock(mutex);
            ++received;
        }
        changed.notify_all();
    });
    ASSERT_TRUE(signals.IsWatching());
    raise(SIGTERM);
    raise(SIGINT);
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, 10s, [&] { return received == 2; }));
}

TEST(TerminationSignals, OnlyOneWatcherAtATime) {
    {
        TerminationSignals first([] {});
        TerminationSignals second([] {});
        EXPECT_TRUE(first.IsWatching());
        EXPECT_FALSE(second.IsWatching());
    }
    TerminationSignals again([] {});
    EXPECT_TRUE(again.IsWatching()); // the first one gave the signals back
}

} // namespace
} // namespace dravo
