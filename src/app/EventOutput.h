// EventOutput: the event stream on standard output, one JSON object a line (-logformat json with the
// headless face), and the journal priority each line of the standard streams carries under systemd.
//
// Contract. WriteEvent and WriteLine come from any thread (the console log's sinks, the application's own
// events before and after the session); each line is written whole to the stream, which is a queued
// standard stream and so never blocks.
#pragma once

#include "host/console/LogSink.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace dravo {

class EventOutput final : public ILogSink {
public:
    using TimeSource = std::function<std::chrono::system_clock::time_point()>;

    explicit EventOutput(std::ostream& out, TimeSource now = std::chrono::system_clock::now)
        : m_Out(out), m_Now(std::move(now)) {}

    // A plain line that is no event: a "log.line" event.
    void WriteLine(std::string_view line) override;
    void WriteEvent(const LogEvent& event) override;
    // Standard output has no trouble of its own to tell.
    void SetNoticeHandler(NoticeHandler /*handler*/) override {}

private:
    std::mutex m_Mutex;
    std::ostream& m_Out;
    TimeSource m_Now;
};

// "<3>" before a line of the standard streams that tells an error (a guide error, a message box's
// "Caption: ERROR - ...", a JSON event of level error), "<4>" before a warning event, "<6>" before the
// rest: the priorities the journal reads, so that `journalctl -p err` shows the errors.
std::string JournalPrefix(std::string_view line);

} // namespace dravo
