// The registration sender's queue and its bounded finish, with a stand-in for the HTTP request.
#include "net/RegistrationSender.h"
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
    RegistrationSender m_Sender{
        m_Directory.Write("srv_send.txt", "http://second/\n"),
        [this](const std::string& url, const std::atomic<bool>& abort) { return m_Fetch.Fetch(url, abort); }};
};

TEST_F(RegistrationSenderTest, BatchesRunInOrderAndOnlyTheNewestWaitingOnesAreKept) {
    m_Sender.Post("http://first/", "q=0");
    ASSERT_TRUE(m_Fetch.WaitForUrls(1)); // the first batch is under way and held
    for (int i = 1; i <= 10; ++i) {
        m_Sender.Post("http://first/", "q=" + std::to_string(i));
    }
    m_Fetch.Open();
    EXPECT_TRUE(m_Sender.Finish(std::chrono::seconds(10)));
    List expected = {"http://first/?q=0", "http://second/?q=0"};
    for (int i = 3; i <= 10; ++i) { // batches 1 and 2 were pushed out by newer ones
        expected.push_back("http://first/?q=" + std::to_string(i));
        expected.push_back("http://second/?q=" + std::to_string(i));
    }
    EXPECT_EQ(m_Fetch.Urls(), expected);
    EXPECT_EQ(m_Sender.RequestsMade(), expected.size());
}

TEST_F(RegistrationSenderTest, FinishGivesUpAtItsLimitAndAbandonsTheRequestUnderWay) {
    m_Sender.Post("http://first/", "q=1");
    m_Sender.Post("http://first/", "q=2");
    ASSERT_TRUE(m_Fetch.WaitForUrls(1));
    EXPECT_FALSE(m_Sender.Finish(std::chrono::milliseconds(50)));
    EXPECT_TRUE(m_Fetch.SawAbort());
    EXPECT_EQ(m_Fetch.Urls(), List{"http://first/?q=1"}); // nothing more after the abort
    // A later batch starts a new thread.
    m_Fetch.Open();
    m_Sender.Post("http://again/", "q=3");
    EXPECT_TRUE(m_Sender.Finish(std::chrono::seconds(10)));
    EXPECT_EQ(m_Fetch.Urls().back(), "http://second/?q=3");
}

TEST_F(RegistrationSenderTest, DroppedBatchesAreNotSentAndTheNextOneIsTheLast) {
    m_Sender.Post("http://first/", "q=1");
    ASSERT_TRUE(m_Fetch.WaitForUrls(1)); // under way and held
    m_Sender.Post("http://first/", "q=2");
    m_Sender.DropPending(); // stopping begins: q=2 never goes, q=1 is abandoned
    m_Sender.Post("http://first/", "q=-1");
    m_Fetch.Open();
    EXPECT_TRUE(m_Sender.Finish(std::chrono::seconds(10)));
    EXPECT_EQ(m_Fetch.Urls(), (List{"http://first/?q=1", "http://first/?q=-1", "http://second/?q=-1"}));
}

TEST_F(RegistrationSenderTest, PostsAndAFinishFromOtherThreadsAtOnceAreSafe) {
    m_Fetch.Open();
    // Threads that post while another finishes: the sender's thread is started, joined and started again
    // under one lock, which a race detector checks.
    std::vector<std::thread> posters;
    for (int thread = 0; thread < 3; ++thread) {
        posters.emplace_back([this, thread] {
            for (int batch = 0; batch < 20; ++batch) {
                m_Sender.Post("http://first/", "t=" + std::to_string(thread));
            }
        });
    }
    std::thread finisher([this] {
        for (int round = 0; round < 5; ++round) {
            (void)m_Sender.Finish(std::chrono::milliseconds(1));
        }
    });
    for (std::thread& poster : posters) {
        poster.join();
    }
    finisher.join();
    EXPECT_TRUE(m_Sender.Finish(std::chrono::seconds(10))); // whatever was left went out, and the thread ends
}

} // namespace
} // namespace dravo
