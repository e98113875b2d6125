// Work posted to the window thread: from many threads, in order, waking the loop; timers that coalesce.
#include "window/WindowThreadQueue.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using Clock = WindowThreadQueue::Clock;

TEST(WindowThreadQueue, KeepsEachThreadsOrderWhenManyPostAtOnce) {
    constexpr int THREADS = 4;
    constexpr int POSTS = 2000;
    WindowThreadQueue queue;
    std::vector<std::vector<int>> seen(THREADS); // written only by the draining thread
    std::promise<void> go;
    std::shared_future<void> start = go.get_future().share();
    std::vector<std::thread> posters;
    for (int t = 0; t < THREADS; ++t) {
        posters.emplace_back([&, t] {
            start.wait();
            for (int i = 0; i < POSTS; ++i) {
                ASSERT_TRUE(queue.Post([&seen, t, i] { seen[static_cast<size_t>(t)].push_back(i); }));
            }
        });
    }
    go.set_value();
    // Drain while they post, as the window thread would.
    const auto deadline = Clock::now() + 10s;
    size_t total = 0;
    while (total < THREADS * POSTS && Clock::now() < deadline) {
        total += queue.RunPending();
        queue.WaitForWork(Clock::now() + 50ms);
    }
    for (std::thread& poster : posters) {
        poster.join();
    }
    total += queue.RunPending();
    ASSERT_EQ(total, static_cast<size_t>(THREADS * POSTS));
    for (const std::vector<int>& one : seen) {
        ASSERT_EQ(one.size(), static_cast<size_t>(POSTS));
        for (int i = 0; i < POSTS; ++i) {
            ASSERT_EQ(one[static_cast<size_t>(i)], i);
        }
    }
}

TEST(WindowThreadQueue, WorkPostedWhileTheLoopWaitsWakesIt) {
    WindowThreadQueue queue;
    std::promise<void> waiting;
    auto loop = std::async(std::launch::async, [&] {
        waiting.set_value();
        const bool woken = queue.WaitForWork(Clock::now() + 30s);
        return std::make_pair(woken, queue.RunPending());
    });
    waiting.get_future().wait();
    int ran = 0;
    ASSERT_TRUE(queue.Post([&ran] { ++ran; }));
    ASSERT_EQ(loop.wait_for(10s), std::future_status::ready) << "the posted work did not wake the loop";
    const auto [woken, count] = loop.get();
    EXPECT_TRUE(woken);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(ran, 1);
}

TEST(WindowThreadQueue, WaitTimesOutWithoutWorkAndWakeEndsItEarly) {
    WindowThreadQueue queue;
    EXPECT_FALSE(queue.WaitForWork(Clock::now() + 1ms));
    queue.Wake();
    EXPECT_TRUE(queue.WaitForWork(Clock::now() + 30s));  // the pending wake returns at once
    EXPECT_FALSE(queue.WaitForWork(Clock::now() + 1ms)); // and is used up
}

TEST(WindowThreadQueue, WorkPostedByWorkRunsInTheNextRound) {
    WindowThreadQueue queue;
    std::vector<int> order;
    queue.Post([&] {
        order.push_back(1);
        queue.Post([&] { order.push_back(3); });
    });
    queue.Post([&] { order.push_back(2); });
    EXPECT_EQ(queue.RunPending(), 2u);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(queue.RunPending(), 1u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(WindowThreadQueue, PostingAfterCloseIsRefusedSafely) {
    WindowThreadQueue queue;
    int ran = 0;
    queue.Post([&ran] { ++ran; });
    queue.Close();
    EXPECT_TRUE(queue.IsClosed());
    EXPECT_FALSE(queue.Post([&ran] { ++ran; }));
    EXPECT_EQ(queue.RunPending(), 0u); // queued work was dropped with the close
    EXPECT_EQ(ran, 0);
    std::thread late([&queue, &ran] { EXPECT_FALSE(queue.Post([&ran] { ++ran; })); });
    late.join();
    EXPECT_TRUE(queue.WaitForWork(Clock::now() + 30s)); // a closed queue never keeps a loop waiting
}

TEST(WindowThreadQueue, TimersFireWhenDueAndDoNotPileUp) {
    WindowThreadQueue queue;
    const auto start = Clock::now();
    int ticks = 0;
    const int owner = 0;
    ASSERT_TRUE(queue.SetTimer(
        &owner, 5, 500, [&ticks] { ++ticks; }, start));
    EXPECT_EQ(queue.NextTimerDue(), start + 500ms);
    EXPECT_EQ(queue.RunDueTimers(start + 499ms), 0u);
    EXPECT_EQ(queue.RunDueTimers(start + 500ms), 1u);
    // A loop busy for ten periods sees one tick, and the next comes a period later.
    EXPECT_EQ(queue.RunDueTimers(start + 5500ms), 1u);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(queue.NextTimerDue(), start + 6000ms);
}

TEST(WindowThreadQueue, TimersBelongToTheirOwner) {
    WindowThreadQueue queue;
    const int first = 0;
    const int second = 0;
    int fired = 0;
    EXPECT_FALSE(queue.SetTimer(&first, 1, 0, [&] { ++fired; })); // no period
    ASSERT_TRUE(queue.SetTimer(&first, 1, 100, [&] { ++fired; }));
    ASSERT_TRUE(queue.SetTimer(&first, 2, 100, [&] { ++fired; }));
    ASSERT_TRUE(queue.SetTimer(&second, 1, 100, [&] { ++fired; }));
    EXPECT_TRUE(queue.FireTimer(&second, 1));
    EXPECT_FALSE(queue.FireTimer(&second, 2));
    EXPECT_TRUE(queue.KillTimer(&first, 1));
    EXPECT_FALSE(queue.KillTimer(&first, 1));
    queue.KillTimers(&first);
    EXPECT_FALSE(queue.HasTimer(&first, 2));
    EXPECT_TRUE(queue.HasTimer(&second, 1));
    EXPECT_EQ(fired, 1);
}

TEST(WindowThreadQueue, ATimerKilledByAnEarlierHandlerDoesNotFire) {
    WindowThreadQueue queue;
    const auto start = Clock::now();
    const int owner = 0;
    std::vector<int> fired;
    ASSERT_TRUE(queue.SetTimer(
        &owner, 1, 10,
        [&] {
            fired.push_back(1);
            queue.KillTimer(&owner, 2);
        },
        start));
    ASSERT_TRUE(queue.SetTimer(
        &owner, 2, 10, [&] { fired.push_back(2); }, start));
    EXPECT_EQ(queue.RunDueTimers(start + 10ms), 1u);
    EXPECT_EQ(fired, (std::vector<int>{1}));
}

bool Readable(int fd, int timeoutMs) {
    pollfd watched{fd, POLLIN, 0};
    return poll(&watched, 1, timeoutMs) == 1;
}

TEST(WindowThreadQueue, WakeupDescriptorIsReadableWhileWorkWaitsAndClearedOnceConsumed) {
    WindowThreadQueue queue;
    const int fd = queue.WakeupFd();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(queue.WakeupFd(), fd) << "one descriptor for the queue's life";
    EXPECT_FALSE(Readable(fd, 0));

    std::thread poster([&queue] { queue.Post([] {}); });
    EXPECT_TRUE(Readable(fd, 5000)) << "a post from another thread wakes a loop waiting on it";
    poster.join();
    EXPECT_EQ(queue.PostCount(), 1u);
    queue.ConsumeWakeups();
    EXPECT_FALSE(Readable(fd, 0));
    EXPECT_EQ(queue.RunPending(), 1u);

    queue.Wake();
    EXPECT_TRUE(Readable(fd, 0));
    queue.ConsumeWakeups();
    EXPECT_FALSE(queue.WaitForWork(Clock::now())) << "the consumed wake is gone for the other wait too";
    EXPECT_TRUE(queue.SetTimer(&queue, 1, 1000, [] {}));
    EXPECT_TRUE(Readable(fd, 0)) << "a new timer makes the loop look at its deadline again";
}

TEST(WindowThreadQueue, WakeupDescriptorMadeLateStillSeesWorkAlreadyQueued) {
    WindowThreadQueue queue;
    ASSERT_TRUE(queue.Post([] {}));
    EXPECT_TRUE(Readable(queue.WakeupFd(), 0));
}

} // namespace
} // namespace dravo
