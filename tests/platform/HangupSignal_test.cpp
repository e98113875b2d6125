// SIGHUP turned into a call on the watcher thread, one watcher at a time, the old handling restored.
#include "platform/HangupSignal.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <mutex>

namespace dravo {
namespace {

TEST(HangupSignal, DeliversEachHangupToTheWatcher) {
    std::mutex mutex;
    std::condition_variable changed;
    int calls = 0;
    HangupSignal hangup([&] {
        std::scoped_lock lock(mutex);
        ++calls;
        changed.notify_all();
    });
    ASSERT_TRUE(hangup.IsWatching());
    ASSERT_EQ(raise(SIGHUP), 0); // would end the test program without the watcher
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return calls >= 1; }));
}

TEST(HangupSignal, OneWatcherAtATimeAndThePreviousHandlingComesBack) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGHUP, &ignore, &before), 0);
    {
        HangupSignal first([] {});
        HangupSignal second([] {});
        EXPECT_TRUE(first.IsWatching());
        EXPECT_FALSE(second.IsWatching());
    }
    struct sigaction after {};
    ASSERT_EQ(sigaction(SIGHUP, &before, &after), 0);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
}

} // namespace
} // namespace dravo
