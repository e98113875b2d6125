// ILogSink: somewhere else the console log goes, line by line (the log file).
//
// Contract. The console log (ConsoleLog) calls WriteLine from any thread that adds
// a line (the worker thread included); it never waits for I/O and never adds a
// line itself. The sink reports its own trouble (a file it cannot write) through
// the notice handler, which the console log installs while its lines can be shown
// and removes before they cannot.
#pragma once

#include "host/console/LogEvent.h"

#include <functional>
#include <string>
#include <string_view>

namespace dravo {

class ILogSink {
public:
    using NoticeHandler = std::function<void(const std::string& notice)>;

    virtual ~ILogSink() = default;
    // One finished console log line, as the console window shows it.
    virtual void WriteLine(std::string_view line) = 0;
    // One event, its message and fields masked as the log shows them. A sink that writes plain lines
    // writes the message as a line, when the plain log has one for the event.
    virtual void WriteEvent(const LogEvent& event) {
        if (event.m_PlainLine) {
            WriteLine(event.m_Message);
        }
    }
    // Notices raised before a handler was installed arrive at once; an empty handler detaches.
    virtual void SetNoticeHandler(NoticeHandler handler) = 0;
};

} // namespace dravo
