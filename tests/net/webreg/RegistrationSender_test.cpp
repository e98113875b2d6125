// The registration sender's queue and its bounded finish, with a stand-in for the HTTP request.
#include "net/webreg/RegistrationSender.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace dravo {
namespace {

using List = std::vector<std::string>;

// Requests are recorded; while the gate is shut each one waits for it or for the abort flag.
class GatedFetch {
public:
    bool Fetch(const std::string& url, const std::atomic<bool>& abort) {
        std::unique_lock lock(m_Mutex);
        m_Urls.push_back(url);
        m_Changed.notify_all();
        while (!m_Open && !abort) {
            m_Changed.wait_for(lock, std::chrono::milliseconds(5)); // the abort flag is not signalled
        }
        m_SawAbort = m_SawAbort || abort;
        return !abort;
    }
    void Open() {
        std::scoped_lock lock(m_Mutex);
        m_Open = true;
        m_Changed.notify_all();
    }
    bool WaitForUrls(size_t count) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_Urls.size() >= count; });
    }
    List Urls() {
        std::scoped_lock lock(m_Mutex);
        return m_Urls;
    }
    bool SawAbort() {
        std::scoped_lock lock(m_Mutex);
        return m_SawAbort;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    List m_Urls;
    bool m_Open = false;
    bool m_SawAbort = false;
};

class RegistrationSenderTest : public ::testing::Test {
protected:
    test::TempDir m_Directory;
    GatedFetch m_Fetch;
    BlockingPool m_Pool;
    RegistrationSender m_Sender{
        m_Directory.Write("srv_send.txt", "http://second/\n"), m_Pool,
        [this](const std::string& url, const std::atomic<bool>& abort) { return m_Fetch.Fetch(url, abort); }};
};

TEST_F(RegistrationSenderTest, BatchesRunInOrderAndOnlyTheNewestWaitingOnesAreKept) {
    EXPECT_TRUE(m_Sender.Post("http://first/", "q=0"));
    ASSERT_TRUE(m_Fetch.WaitForUrls(1)); // the first batch is under way and held
    for (int i = 1; i <= 10; ++i) {
        EXPECT_TRUE(m_Sender.Post("http://first/", "q=" + std::to_string(i)));
    }
    m_Fetch.Open();
    const RegistrationSender::Finished finished = m_Sender.Finish(std::chrono::seconds(10));
    EXPECT_TRUE(finished.m_Sent);
    EXPECT_TRUE(finished.m_Ended);
    List expected = {"http://first/?q=0", "http://second/?q=0"};
    for (int i = 3; i <= 10; ++i) { // batches 1 and 2 were pushed out by newer ones
        expected.push_back("http://first/?q=" + std::to_string(i));
        expected.push_back("http://second/?q=" + std::to_string(i));
    }
    EXPECT_EQ(m_Fetch.Urls(), expected);
    EXPECT_EQ(m_Sender.RequestsMade(), expected.size());
}

TEST_F(RegistrationSenderTest, FinishGivesUpAtItsLimitAbandonsTheRequestUnderWayAndTakesNothingMore) {
    EXPECT_TRUE(m_Sender.Post("http://first/", "q=1"));
    EXPECT_TRUE(m_Sender.Post("http://first/", "q=2"));
    ASSERT_TRUE(m_Fetch.WaitForUrls(1));
    const RegistrationSender::Finished finished = m_Sender.Finish(std::chrono::milliseconds(50));
    EXPECT_FALSE(finished.m_Sent);
    EXPECT_TRUE(finished.m_Ended); // the request watched the abort flag
    EXPECT_TRUE(m_Fetch.SawAbort());
    m_Fetch.Open();
    EXPECT_FALSE(m_Sender.Post("http://again/", "q=3"));
    m_Sender.PostLast("http://again/", "q=-1");
    EXPECT_TRUE(m_Sender.Finish(std::chrono::seconds(10)).m_Sent); // nothing was left to send
    EXPECT_EQ(m_Fetch.Urls(), List{"http://first/?q=1"});          // nothing after the abort
}

TEST_F(RegistrationSenderTest, AfterTheEndOfRegistrationsOnlyTheLastBatchGoesOut) {
    EXPECT_TRUE(m_Sender.Post("http://first/", "q=1"));
    ASSERT_TRUE(m_Fetch.WaitForUrls(1)); // under way and held
    EXPECT_TRUE(m_Sender.Post("http://first/", "q=2"));
    m_Sender.EndRegistrations(); // stopping begins: q=2 never goes, q=1 is abandoned
    EXPECT_TRUE(m_Sender.RegistrationsEnded());
    EXPECT_FALSE(m_Sender.Post("http://first/", "q=3"));
    m_Sender.PostLast("http://first/", "q=-1");
    EXPECT_FALSE(m_Sender.Post("http://first/", "q=4"));
    m_Fetch.Open();
    EXPECT_TRUE(m_Sender.Finish(std::chrono::seconds(10)).m_Sent);
    EXPECT_EQ(m_Fetch.Urls(), (List{"http://first/?q=1", "http://first/?q=-1", "http://second/?q=-1"}));
}

TEST_F(RegistrationSenderTest, PostsAndAFinishFromOtherThreadsAtOnceAreSafe) {
    m_Fetch.Open();
    // Threads that post while another finishes: the loop is started and ended under the queue's lock,
    // which a race detector checks.
    std::vector<std::thread> posters;
    for (int thread = 0; thread < 3; ++thread) {
        posters.emplace_back([this, thread] {
            for (int batch = 0; batch < 20; ++batch) {
                (void)m_Sender.Post("http://first/", "t=" + std::to_string(thread));
            }
        });
    }
    std::thread finisher([this] { (void)m_Sender.Finish(std::chrono::milliseconds(1)); });
    for (std::thread& poster : posters) {
        poster.join();
    }
    finisher.join();
    EXPECT_TRUE(m_Sender.Finish(std::chrono::seconds(10)).m_Ended);
    EXPECT_FALSE(m_Sender.Post("http://first/", "late"));
}

// The loop waits for work on the queue's own lock and flag: a Finish at any moment wakes it, whether it
// is idle, about to wait, or sending.
TEST(RegistrationSenderStops, EveryFinishEndsTheLoopAtOnce) {
    test::TempDir directory;
    const std::filesystem::path list = directory.Write("srv_send.txt", "");
    BlockingPool pool;
    constexpr int ROUNDS = 200;
    for (int round = 0; round < ROUNDS; ++round) {
        auto sent = std::make_shared<std::atomic<int>>(0);
        RegistrationSender sender(list, pool, [sent](const std::string&, const std::atomic<bool>&) {
            ++*sent;
            return true;
        });
        ASSERT_TRUE(sender.Post("http://first/", "q=1"));
        if (round % 2 == 0) { // idle: the batch is done and the loop waits for the next
            ASSERT_TRUE(sender.Finish(std::chrono::seconds(10)).m_Sent);
        }
        const RegistrationSender::Finished finished = sender.Finish(std::chrono::milliseconds(0));
        ASSERT_TRUE(finished.m_Ended) << "round " << round;
    }
    EXPECT_TRUE(pool.Shutdown(std::chrono::seconds(5)));
}

TEST(RegistrationSenderStops, ALoopThatDoesNotEndInTimeIsLeftBehindSafely) {
    test::TempDir directory;
    BlockingPool pool;
    // A request that ignores the abort flag until the test lets it go.
    struct Stuck {
        std::mutex m_Mutex;
        std::condition_variable m_Changed;
        bool m_Entered = false;
        bool m_Released = false;
    };
    auto stuck = std::make_shared<Stuck>();
    {
        RegistrationSender sender(directory.Write("srv_send.txt", "http://second/\n"), pool,
                                  [stuck](const std::string&, const std::atomic<bool>&) {
                                      std::unique_lock lock(stuck->m_Mutex);
                                      stuck->m_Entered = true;
                                      stuck->m_Changed.notify_all();
                                      stuck->m_Changed.wait(lock, [&] { return stuck->m_Released; });
                                      return true;
                                  });
        ASSERT_TRUE(sender.Post("http://first/", "q=1"));
        {
            std::unique_lock lock(stuck->m_Mutex);
            ASSERT_TRUE(stuck->m_Changed.wait_for(lock, std::chrono::seconds(5), [&] { return stuck->m_Entered; }));
        }
        const RegistrationSender::Finished finished = sender.Finish(std::chrono::milliseconds(10));
        EXPECT_FALSE(finished.m_Sent);
        EXPECT_FALSE(finished.m_Ended);
    } // the sender is gone; its loop still holds what it shares with it
    {
        std::scoped_lock lock(stuck->m_Mutex);
        stuck->m_Released = true;
        stuck->m_Changed.notify_all();
    }
    // The loop ends by itself without another request (the second line is never asked for).
    EXPECT_TRUE(pool.Shutdown(std::chrono::seconds(5)));
    EXPECT_EQ(stuck.use_count(), 1);
}

} // namespace
} // namespace dravo
