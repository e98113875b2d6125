// ConsoleLog: the one way text reaches the console log, and where each finished line goes from there.
//
// Contract. Any thread may add a line: it is formatted, cut to LOG_LINE_SIZE, cleared of secret values
// (ConsoleSecrets), handed to the capture of the thread that adds it, if any (LogCapture: the lines of one command), to
// every attached sink (the log file) and then to the session's view, which never waits for the window thread. Sinks are
// attached and detached from any thread, not owned: once Detach returns, no line is being handed to that
// sink and none will be. A sink must not add lines itself while it takes one. What a sink has to say about
// itself (a file it cannot write) joins the log as a line of its own while notices are shown
// (ShowNotices), that is while the view can show lines; until then the sink keeps it.
#pragma once

#include "host/console/ConsoleSecrets.h"
#include "host/console/LogEvent.h"
#include "host/console/LogSink.h"
#include "host/console/SessionView.h"

#include <cstdarg>
#include <cstddef>
#include <mutex>
#include <string_view>
#include <vector>

namespace dravo {

constexpr size_t LOG_LINE_SIZE = 500; // a formatted line, with its terminator

class ConsoleLog {
public:
    explicit ConsoleLog(ISessionView& view) : m_View(view) {}
    // Detaches whatever is still attached.
    ~ConsoleLog();
    ConsoleLog(const ConsoleLog&) = delete;
    ConsoleLog& operator=(const ConsoleLog&) = delete;

    // The text of a printf-style line, cut to fit; outside text goes in as "%s".
    __attribute__((format(printf, 2, 3))) void Line(const char* format, ...);
    __attribute__((format(printf, 2, 0))) void LineV(const char* format, va_list arguments);
    // Text from the game, the engine or the operator, logged verbatim: cut to fit, up to its first NUL,
    // without one trailing control character (a line feed). Empty text adds nothing.
    void Text(std::string_view text);
    // An event: its message (printf-style, cut to fit as a line) is the line the log shows, and the sinks
    // that write events take the event whole. Text and Line make a "log.line" event of their own, or
    // the named error of the guide that the line begins with.
    __attribute__((format(printf, 5, 6))) void Event(std::string_view name, EventLevel level, EventFields fields,
                                                     const char* format, ...);
    // An event with its message as it stands.
    void Event(LogEvent event);
    // A console command about to run, as Text, with the value it gives a secret variable masked.
    // As a "console.command" event with the console it came from ("console", "remote ADDRESS", "fleet").
    void Command(std::string_view command, std::string_view origin = "console");
    // The values kept out of every line; the session refreshes them from the engine.
    ConsoleSecrets& Secrets() { return m_Secrets; }

    // Every line from now on goes to the sink too, before the view; attaching it twice changes nothing.
    void Attach(ILogSink& sink);
    // No line goes to the sink any more; waits for one being handed to it on another thread.
    void Detach(ILogSink& sink);
    // Whether the sinks' notices join the log: on once the view can show lines, off before it goes.
    void ShowNotices(bool shown);

private:
    // The text as one log line (cut to fit, up to its first NUL, without one trailing control character).
    static std::string_view FitLine(std::string_view text);
    void HandNotices(ILogSink& sink, bool shown);

    ISessionView& m_View;
    ConsoleSecrets m_Secrets;
    // Taken while a line is handed to the sinks, so that Detach waits for it.
    std::mutex m_SinksMutex;
    std::vector<ILogSink*> m_Sinks; // guarded by m_SinksMutex
    // Orders the changes of the sinks' notice handlers; never taken while a line is handed on, since a
    // sink may hand a notice over while it sets its handler.
    std::mutex m_NoticesMutex;
    bool m_ShowingNotices = false; // guarded by m_NoticesMutex
};

} // namespace dravo
