// The presence's results as events: one per heartbeat and registration, and one start and one end for
// each query flood, with the flood's counts.
#include "host/session/PresenceEvents.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <vector>

namespace dravo {
namespace {

class EventSink final : public ILogSink {
public:
    void WriteLine(std::string_view /*line*/) override {}
    void WriteEvent(const LogEvent& event) override { m_Events.push_back(event); }
    void SetNoticeHandler(NoticeHandler /*handler*/) override {}
    std::vector<LogEvent> m_Events;
};

int64_t Number(const LogEvent& event, std::string_view key) {
    for (const EventField& field : event.m_Fields) {
        if (field.m_Key == key) {
            return std::get<int64_t>(field.m_Value);
        }
    }
    ADD_FAILURE() << "no field " << key << " in " << event.m_Name;
    return -1;
}

class PresenceEventsTest : public ::testing::Test {
protected:
    void SetUp() override { m_Log.Attach(m_Sink); }
    void TearDown() override { m_Log.Detach(m_Sink); }
    void Drop(uint64_t count) { m_Counters.CountDrops(QueryDrop::Rate, count); }

    test::RecordingView m_View;
    ConsoleLog m_Log{m_View};
    EventSink m_Sink;
    PresenceCounters m_Counters;
    PresenceEvents m_Events;
};

TEST_F(PresenceEventsTest, CountsBeforeTheStartAreNoEvents) {
    m_Counters.CountHeartbeat();
    Drop(50);
    m_Events.Start(m_Counters, 0);
    m_Events.Look(m_Counters, 10, m_Log);
    EXPECT_TRUE(m_Sink.m_Events.empty());
    EXPECT_TRUE(m_View.Log().empty());
}

TEST_F(PresenceEventsTest, EachHeartbeatAndRegistrationIsAnEventWithoutPlainLine) {
    m_Events.Start(m_Counters, 0);
    m_Counters.CountHeartbeat();
    m_Counters.CountRegistration(true);
    m_Counters.CountRegistration(false);
    m_Counters.CountRegistration(false);
    m_Events.Look(m_Counters, 10, m_Log);
    ASSERT_EQ(m_Sink.m_Events.size(), 4U);
    EXPECT_EQ(m_Sink.m_Events[0].m_Name, "master.heartbeat");
    EXPECT_EQ(Number(m_Sink.m_Events[0], "heartbeats"), 1);
    EXPECT_EQ(m_Sink.m_Events[1].m_Name, "webreg.result");
    EXPECT_EQ(std::get<std::string>(m_Sink.m_Events[1].m_Fields[0].m_Value), "answered");
    EXPECT_EQ(std::get<std::string>(m_Sink.m_Events[3].m_Fields[0].m_Value), "failed");
    EXPECT_TRUE(m_View.Log().empty()); // the plain log is unchanged
}

TEST_F(PresenceEventsTest, AFloodIsOneEpisodeUntilQuietForTheWholeSpan) {
    m_Events.Start(m_Counters, 0);
    m_Counters.CountAnswer(100);
    Drop(10);
    m_Events.Look(m_Counters, 1000, m_Log);
    Drop(5);
    m_Counters.CountAnswer(100);
    m_Events.Look(m_Counters, 3000, m_Log);
    m_Events.Look(m_Counters, 3000 + PresenceEvents::FLOOD_QUIET_MS - 1, m_Log); // not quiet long enough
    EXPECT_TRUE(m_Events.InFlood());
    m_Events.Look(m_Counters, 3000 + PresenceEvents::FLOOD_QUIET_MS, m_Log);
    EXPECT_FALSE(m_Events.InFlood());
    ASSERT_EQ(m_Sink.m_Events.size(), 2U);
    EXPECT_EQ(m_Sink.m_Events[0].m_Name, "query.flood_started");
    EXPECT_EQ(Number(m_Sink.m_Events[0], "dropped"), 10);
    EXPECT_EQ(m_Sink.m_Events[1].m_Name, "query.flood_ended");
    EXPECT_EQ(Number(m_Sink.m_Events[1], "dropped"), 15);
    EXPECT_EQ(Number(m_Sink.m_Events[1], "answered"), 2); // the answers since the look before the flood
    EXPECT_EQ(Number(m_Sink.m_Events[1], "duration_ms"), 2000);
}

TEST_F(PresenceEventsTest, ANewFloodAfterTheEndIsANewEpisodeAndTheClockMayWrap) {
    const uint32_t start = 0xFFFFF000U; // the millisecond clock wraps during the flood
    m_Events.Start(m_Counters, start);
    Drop(1);
    m_Events.Look(m_Counters, start, m_Log);
    m_Events.Look(m_Counters, start + PresenceEvents::FLOOD_QUIET_MS, m_Log);
    Drop(1);
    m_Events.Look(m_Counters, start + PresenceEvents::FLOOD_QUIET_MS + 10, m_Log);
    ASSERT_EQ(m_Sink.m_Events.size(), 3U);
    EXPECT_EQ(m_Sink.m_Events[1].m_Name, "query.flood_ended");
    EXPECT_EQ(m_Sink.m_Events[2].m_Name, "query.flood_started");
}

} // namespace
} // namespace dravo
