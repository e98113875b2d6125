// The pool for blocking work: jobs on threads of their own up to the bound, threads used again, and a
// bounded shutdown that leaves a job that never returns behind without freeing what it holds.
#include "platform/os/BlockingPool.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

namespace dravo {
namespace {

// A job's view of the test: it counts in, then waits to be let go.
struct Gate {
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    int m_Entered = 0;
    int m_Left = 0;
    bool m_Open = false;
    std::set<std::thread::id> m_Threads;

    // `onLeaving` runs once the gate opens, before the job counts as gone.
    void Pass(const std::function<void()>& onLeaving = {}) {
        std::unique_lock lock(m_Mutex);
        ++m_Entered;
        m_Threads.insert(std::this_thread::get_id());
        m_Changed.notify_all();
        m_Changed.wait(lock, [this] { return m_Open; });
        if (onLeaving) {
            onLeaving();
        }
        ++m_Left;
        m_Changed.notify_all();
    }
    void Open(bool open = true) {
        std::scoped_lock lock(m_Mutex);
        m_Open = open;
        m_Changed.notify_all();
    }
    bool WaitFor(const int& count, int wanted) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, std::chrono::seconds(10), [&] { return count >= wanted; });
    }
};

TEST(BlockingPool, JobsRunOnTheirOwnThreadsUpToTheBoundThenWaitInAQueueAsLong) {
    BlockingPool pool(2);
    auto gate = std::make_shared<Gate>();
    for (int job = 0; job < 2; ++job) {
        ASSERT_TRUE(pool.Submit([gate] { gate->Pass(); }));
    }
    ASSERT_TRUE(gate->WaitFor(gate->m_Entered, 2)); // both at once: each has a thread
    for (int job = 0; job < 2; ++job) {
        EXPECT_TRUE(pool.Submit([gate] { gate->Pass(); })); // queued for the next thread free
    }
    EXPECT_FALSE(pool.Submit([gate] { gate->Pass(); })); // the queue is full too
    gate->Open();
    ASSERT_TRUE(gate->WaitFor(gate->m_Left, 4));
    // The queued jobs ran on the same two threads, none on this one.
    EXPECT_EQ(gate->m_Threads.size(), 2u);
    EXPECT_EQ(gate->m_Threads.count(std::this_thread::get_id()), 0u);
    EXPECT_TRUE(pool.Shutdown(std::chrono::seconds(10)));
    EXPECT_FALSE(pool.Submit([] {})); // no work after the shutdown
}

TEST(BlockingPool, AJobThatThrowsEndsAloneAndItsThreadGoesOn) {
    BlockingPool pool(1);
    auto gate = std::make_shared<Gate>();
    ASSERT_TRUE(pool.Submit([gate] {
        gate->Pass();
        throw std::runtime_error("the job failed");
    }));
    ASSERT_TRUE(pool.Submit([gate] { gate->Pass(); })); // queued behind it, on the same thread
    gate->Open();
    ASSERT_TRUE(gate->WaitFor(gate->m_Left, 2));
    EXPECT_TRUE(pool.Shutdown(std::chrono::seconds(10)));
    EXPECT_EQ(gate->m_Threads.size(), 1u);
}

TEST(BlockingPool, AShutdownWaitsForJobsUnderWayThenLeavesTheOneThatNeverReturnsBehind) {
    auto gate = std::make_shared<Gate>();
    auto held = std::make_shared<int>(42); // what the job holds must outlive the pool
    int seen = 0;
    {
        BlockingPool pool(2);
        ASSERT_TRUE(pool.Submit([gate, held, &seen] { gate->Pass([&] { seen = *held; }); }));
        ASSERT_TRUE(gate->WaitFor(gate->m_Entered, 1));
        EXPECT_FALSE(pool.Shutdown(std::chrono::milliseconds(50))); // the job does not return: left behind
        EXPECT_FALSE(pool.Submit([] {}));
    } // the pool is gone; its thread and the job's captures are not
    EXPECT_GE(held.use_count(), 2);
    gate->Open();
    ASSERT_TRUE(gate->WaitFor(gate->m_Left, 1));
    EXPECT_EQ(seen, 42); // read after the pool was gone
}

TEST(BlockingPool, AShutdownInTimeJoinsEveryThread) {
    auto gate = std::make_shared<Gate>();
    BlockingPool pool(2);
    ASSERT_TRUE(pool.Submit([gate] { gate->Pass(); }));
    ASSERT_TRUE(gate->WaitFor(gate->m_Entered, 1));
    std::thread opener([gate] { gate->Open(); });
    EXPECT_TRUE(pool.Shutdown(std::chrono::seconds(10))); // waits for the job to be let go
    opener.join();
    EXPECT_EQ(gate->m_Left, 1);
    EXPECT_EQ(gate.use_count(), 1); // the job and what it captured are gone
}

// A job blocked for good inside a read its owner gave up on does not hold the shutdown for its bound; the
// job before and after that section is waited for as any other.
TEST(BlockingPool, AShutdownDoesNotWaitForAJobInsideANotWaitedForSection) {
    auto gate = std::make_shared<Gate>();
    auto inside = std::make_shared<Gate>();
    BlockingPool pool(2);
    ASSERT_TRUE(pool.Submit([gate, inside] {
        {
            const BlockingPool::NotWaitedFor unwaited;
            gate->Pass();
        }
        inside->Pass(); // waited for again: the test lets it go at once
    }));
    ASSERT_TRUE(gate->WaitFor(gate->m_Entered, 1));
    inside->Open();
    // Were the job waited for, this would hold until the gate opens, which comes only after it returns.
    EXPECT_FALSE(pool.Shutdown(std::chrono::hours(1))); // returns with the job left behind
    gate->Open();
    ASSERT_TRUE(inside->WaitFor(inside->m_Left, 1));
}

TEST(BlockingPool, ANotWaitedForSectionOffThePoolChangesNothing) {
    auto gate = std::make_shared<Gate>();
    BlockingPool pool(2);
    const BlockingPool::NotWaitedFor offThePool; // on the test's own thread
    ASSERT_TRUE(pool.Submit([gate] { gate->Pass(); }));
    ASSERT_TRUE(gate->WaitFor(gate->m_Entered, 1));
    std::thread opener([gate] { gate->Open(); });
    EXPECT_TRUE(pool.Shutdown(std::chrono::seconds(10))); // the pool's job is still waited for
    opener.join();
    EXPECT_EQ(gate->m_Left, 1);
}

} // namespace
} // namespace dravo
