// What the service manager hears: READY=1 with the status, a new status when the players or the level
// change, WATCHDOG=1 only for a game loop that makes steps, STOPPING=1 once when the stop begins; and the
// notify socket and watchdog settings read from the environment's values.
#include "app/ServiceWatch.h"
#include "platform/os/ProcessId.h"
#include "support/RosterPlayers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;
constexpr auto BOUND = 10s;

// Keeps the messages, each with the step count of the facts when it came.
class RecordingNotify final : public ServiceNotify {
public:
    explicit RecordingNotify(const SessionFacts& facts) : m_Facts(facts) {}
    bool Send(std::string_view message) override {
        {
            std::scoped_lock lock(m_Mutex);
            m_Messages.emplace_back(std::string(message), m_Facts.Steps());
        }
        m_Changed.notify_all();
        return true;
    }
    // Waits for a message that holds the text; false at the bound.
    bool WaitFor(std::string_view text) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, BOUND, [&] { return Count(text) > 0; });
    }
    size_t Count(std::string_view text) const {
        return static_cast<size_t>(std::count_if(m_Messages.begin(), m_Messages.end(), [&](const auto& message) {
            return message.first.find(text) != std::string::npos;
        }));
    }
    std::vector<std::pair<std::string, uint64_t>> Messages() {
        std::scoped_lock lock(m_Mutex);
        return m_Messages;
    }

private:
    const SessionFacts& m_Facts;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<std::pair<std::string, uint64_t>> m_Messages;
};

TEST(ServiceWatch, ReadyThenStatusOnEveryChangeOfPlayersOrLevel) {
    SessionFacts facts;
    facts.HostingStarted(HostedGame{16, "deathmatch", {"dm1", "dm2"}, "dm1"});
    facts.LevelChanged("dm1");
    auto notify = std::make_unique<RecordingNotify>(facts);
    RecordingNotify& heard = *notify;
    ServiceWatch watch(std::move(notify), std::nullopt, facts);
    watch.Ready();
    ASSERT_TRUE(heard.WaitFor("READY=1\nSTATUS=Level dm1; 0 of 16 players"));
    facts.SetPlayers(test::Players({"Ann", "Bo"}), 0);
    EXPECT_TRUE(heard.WaitFor("STATUS=Level dm1; 2 of 16 players"));
    facts.LevelChanged("dm2");
    EXPECT_TRUE(heard.WaitFor("STATUS=Level dm2; 2 of 16 players"));
    watch.Stopping();
    watch.Stopping();
    EXPECT_EQ(heard.Count("STOPPING=1"), 1U);
    EXPECT_EQ(heard.Count("WATCHDOG=1"), 0U); // no watchdog was asked for
}

TEST(ServiceWatch, PingsOnlyAfterStepsAndStopsWhenTheStopBegins) {
    SessionFacts facts;
    facts.HostingStarted(HostedGame{8, "deathmatch", {"dm1"}, "dm1"});
    auto notify = std::make_unique<RecordingNotify>(facts);
    RecordingNotify& heard = *notify;
    ServiceWatch watch(std::move(notify), std::chrono::microseconds(4000), facts);
    watch.Ready();
    facts.CountStep();
    ASSERT_TRUE(heard.WaitFor("WATCHDOG=1"));
    facts.HostingEnded(); // the stop begins
    ASSERT_TRUE(heard.WaitFor("STOPPING=1"));
    watch.Stopping();
    const auto messages = heard.Messages();
    EXPECT_EQ(heard.Count("STOPPING=1"), 1U);
    for (const auto& [message, steps] : messages) {
        if (message.find("WATCHDOG=1") != std::string::npos) {
            EXPECT_GT(steps, 0U) << "a ping before the game loop made a step";
        }
    }
    EXPECT_NE(messages.back().first.find("STOPPING=1"), std::string::npos) << "nothing after the stop";
}

TEST(ServiceWatch, NothingIsSentWithoutANotifySocket) {
    SessionFacts facts;
    ServiceWatch watch(nullptr, std::chrono::microseconds(4000), facts);
    watch.Ready();
    watch.Stopping(); // and nothing breaks
    EXPECT_EQ(OpenServiceNotify(""), nullptr);
    EXPECT_EQ(OpenServiceNotify("relative/path"), nullptr);
    EXPECT_EQ(OpenServiceNotify("/" + std::string(200, 'x')), nullptr); // longer than a socket path
}

TEST(WatchdogInterval, ReadsMicrosecondsForThisProcessOnly) {
    const std::string self = std::to_string(CurrentProcessId());
    EXPECT_EQ(WatchdogInterval("30000000", nullptr), std::chrono::microseconds(30000000));
    EXPECT_EQ(WatchdogInterval("30000000", self.c_str()), std::chrono::microseconds(30000000));
    EXPECT_FALSE(WatchdogInterval("30000000", "1")); // another process's
    EXPECT_FALSE(WatchdogInterval(nullptr, nullptr));
    EXPECT_FALSE(WatchdogInterval("0", nullptr));
    EXPECT_FALSE(WatchdogInterval("30s", nullptr));
    EXPECT_FALSE(WatchdogInterval("", nullptr));
    EXPECT_FALSE(WatchdogInterval("99999999999999999999999", nullptr));
}

} // namespace
} // namespace dravo
