// Events as JSON lines: the time stamp, escaping of whatever the game sends, and the errors of the guide
// found by their fixed text.
#include "host/console/ConsoleLog.h"
#include "host/console/ErrorEvents.h"
#include "host/console/EventJson.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono;

sys_time<milliseconds> At(int y, unsigned mo, unsigned d, int h, int mi, int s, int ms) {
    return sys_days(year(y) / month(mo) / day(d)) + hours(h) + minutes(mi) + seconds(s) + milliseconds(ms);
}

TEST(EventJson, TimeIsUtcWithMillisecondsAndZeroPadding) {
    EXPECT_EQ(UtcEventTimestamp(At(2026, 1, 2, 3, 4, 5, 6)), "2026-01-02T03:04:05.006Z");
    EXPECT_EQ(UtcEventTimestamp(At(1999, 12, 31, 23, 59, 59, 999)), "1999-12-31T23:59:59.999Z");
    // Sub-millisecond time is cut, never rounded up into the next second.
    EXPECT_EQ(UtcEventTimestamp(At(2026, 5, 1, 0, 0, 0, 999) + microseconds(999)), "2026-05-01T00:00:00.999Z");
}

TEST(EventJson, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonEscape("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(JsonEscape(std::string("t\tn\n\x01\x7f", 6)), "t\\u0009n\\u000a\\u0001\\u007f");
}

TEST(EventJson, KeepsUtf8AndReadsOtherBytesAsLatin1) {
    EXPECT_EQ(JsonEscape("J\xC3\xBCrgen \xE2\x82\xAC"), "J\xC3\xBCrgen \xE2\x82\xAC");
    // A lone Latin-1 u-umlaut, a cut sequence and an encoded surrogate are no UTF-8: each byte stands alone.
    EXPECT_EQ(JsonEscape("J\xFCrgen"), "J\xC3\xBCrgen");
    EXPECT_EQ(JsonEscape("\xE2\x82"), "\xC3\xA2\xC2\x82");
    EXPECT_EQ(JsonEscape("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");
}

TEST(EventJson, WritesOneObjectWithFieldsOfEachType) {
    const LogEvent event{"player.joined", EventLevel::Notice, "Ann \"the\" joined",
                         EventFieldList().Number("id", 7).Text("name", "Ann").Flag("bot", false).Take(), true};
    EXPECT_EQ(FormatEventJson(event, At(2026, 5, 1, 13, 45, 7, 123)),
              "{\"time\":\"2026-05-01T13:45:07.123Z\",\"level\":\"notice\",\"event\":\"player.joined\","
              "\"message\":\"Ann \\\"the\\\" joined\",\"fields\":{\"id\":7,\"name\":\"Ann\",\"bot\":false}}");
}

TEST(EventJson, LevelsHaveNamesAndJournalPriorities) {
    EXPECT_EQ(EventLevelName(EventLevel::Error), "error");
    EXPECT_EQ(EventLevelPriority(EventLevel::Error), 3);
    EXPECT_EQ(EventLevelName(EventLevel::Warning), "warning");
    EXPECT_EQ(EventLevelPriority(EventLevel::Info), 6);
}

TEST(ErrorEvents, FindsEachErrorByItsFixedTextAndTheLongerPrefixFirst) {
    EXPECT_EQ(FindErrorEvent("ERROR - Unable to host the game."), "error.host_game");
    EXPECT_EQ(FindErrorEvent("ERROR - Unable to host the game session."), "error.session_host");
    EXPECT_EQ(FindErrorEvent("ERROR - Unable to start world: dm1"), "error.start_world");
    EXPECT_EQ(FindErrorEvent("ERROR - The override +Port has no value: write +Port value"), "error.usage_override");
    EXPECT_EQ(FindErrorEvent("ERROR - The value of the override +Port holds a line break."),
              "error.usage_override_line_break");
    EXPECT_EQ(FindErrorEvent("ERROR - The configuration file name \"/\" names a directory, not a file."),
              "error.usage_config_directory");
    EXPECT_EQ(FindErrorEvent("ERROR - The configuration file \"a.cfg\" is left as it was: edited."),
              "error.config_left_as_it_was");
    EXPECT_EQ(FindErrorEvent("DravoServ: ERROR - 3 log lines were never written"), "error.other");
    EXPECT_FALSE(FindErrorEvent("Server is running."));
    EXPECT_FALSE(FindErrorEvent("Player said ERROR - Unable to host the game."));
}

TEST(ErrorEvents, EveryPrefixReachesItsOwnName) {
    // A prefix hidden behind a shorter one before it would never be found.
    std::set<std::string_view> names;
    for (const ErrorEvent& error : ErrorEvents()) {
        EXPECT_EQ(FindErrorEvent(error.m_Prefix), error.m_Name) << error.m_Prefix;
        if (error.m_Name != "error.other") {
            EXPECT_TRUE(names.insert(error.m_Name).second) << "twice: " << error.m_Name;
        }
    }
}

// A sink that keeps the events it is handed.
class EventSink final : public ILogSink {
public:
    void WriteLine(std::string_view line) override { m_Lines.emplace_back(line); }
    void WriteEvent(const LogEvent& event) override { m_Events.push_back(event); }
    void SetNoticeHandler(NoticeHandler /*handler*/) override {}
    std::vector<std::string> m_Lines;
    std::vector<LogEvent> m_Events;
};

TEST(ConsoleLogEvents, PlainLinesBecomeLineEventsOrTheErrorTheyBeginWith) {
    test::RecordingView view;
    ConsoleLog log(view);
    EventSink sink;
    log.Attach(sink);
    log.Line("Server is running.");
    log.Line("ERROR - Unable to start world: %s", "dm9");
    log.Detach(sink);
    ASSERT_EQ(sink.m_Events.size(), 2U);
    EXPECT_EQ(sink.m_Events[0].m_Name, "log.line");
    EXPECT_EQ(sink.m_Events[0].m_Level, EventLevel::Info);
    EXPECT_EQ(sink.m_Events[1].m_Name, "error.start_world");
    EXPECT_EQ(sink.m_Events[1].m_Level, EventLevel::Error);
    EXPECT_EQ(sink.m_Events[1].m_Message, "ERROR - Unable to start world: dm9");
    EXPECT_TRUE(sink.m_Lines.empty()); // an event sink takes events, not lines as well
}

TEST(ConsoleLogEvents, SecretsAreMaskedInTheMessageAndInEveryTextField) {
    test::RecordingView view;
    ConsoleLog log(view);
    log.Secrets().SetValue("RconPassword", "hunter22");
    EventSink sink;
    log.Attach(sink);
    log.Event("console.command", EventLevel::Info, EventFieldList().Text("text", "say hunter22").Number("n", 1).Take(),
              "say %s", "hunter22");
    log.Detach(sink);
    ASSERT_EQ(sink.m_Events.size(), 1U);
    EXPECT_EQ(sink.m_Events[0].m_Message.find("hunter22"), std::string::npos);
    EXPECT_EQ(std::get<std::string>(sink.m_Events[0].m_Fields[0].m_Value).find("hunter22"), std::string::npos);
    EXPECT_TRUE(view.Logged(sink.m_Events[0].m_Message));
}

TEST(ConsoleLogEvents, AnEventWithoutPlainLineReachesTheSinksButNotTheViewOrAPlainSink) {
    test::RecordingView view;
    ConsoleLog log(view);
    EventSink events;
    class LineSink final : public ILogSink {
    public:
        void WriteLine(std::string_view line) override { m_Lines.emplace_back(line); }
        void SetNoticeHandler(NoticeHandler /*handler*/) override {}
        std::vector<std::string> m_Lines;
    } lines;
    log.Attach(events);
    log.Attach(lines);
    log.Event(LogEvent{"server.ready", EventLevel::Notice, "Server is ready.", {}, false});
    log.Event("player.joined", EventLevel::Info, {}, "%s joined.", "Ann");
    log.Detach(events);
    log.Detach(lines);
    EXPECT_EQ(events.m_Events.size(), 2U);
    EXPECT_EQ(lines.m_Lines, std::vector<std::string>{"Ann joined."});
    EXPECT_EQ(view.Log(), std::vector<std::string>{"Ann joined."});
}

} // namespace
} // namespace dravo
