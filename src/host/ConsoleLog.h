// ConsoleLog: the one way text reaches the console log.
//
// Any thread may add a line: it is formatted, cut to LOG_LINE_SIZE, cleared of
// secret values (ConsoleSecrets), and handed to the session's view, which never
// waits for the window thread, and to every attached line sink (the remote
// console's collector), on the thread that added it.
#pragma once

#include "host/ConsoleSecrets.h"
#include "host/LogSink.h"
#include "host/SessionView.h"

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

    // The text of a printf-style line, cut to fit; outside text goes in as "%s".
    __attribute__((format(printf, 2, 3))) void Line(const char* format, ...);
    __attribute__((format(printf, 2, 0))) void LineV(const char* format, va_list arguments);
    // Text from the game, the engine or the operator, logged verbatim: cut to fit, up to its first NUL,
    // without one trailing control character (a line feed). Empty text adds nothing.
    void Text(std::string_view text);
    // A console command about to run, as Text, with the value it gives a secret variable masked.
    void Command(std::string_view command) { Text(ConsoleSecrets::MaskCommand(command)); }

    ConsoleSecrets& Secrets() { return m_Secrets; }
    // Every line from now on goes to the sink too, until it is detached. Not owned; any thread.
    void AttachSink(ILogSink* sink);
    void DetachSink(ILogSink* sink);

private:
    ISessionView& m_View;
    ConsoleSecrets m_Secrets;
    std::mutex m_SinksMutex;
    std::vector<ILogSink*> m_Sinks; // guarded by m_SinksMutex
};

} // namespace dravo
