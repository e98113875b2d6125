// ConsoleLog: the one way text reaches the console log.
//
// Any thread may add a line: it is formatted, cut to LOG_LINE_SIZE and handed to
// the session's view, which never waits for the window thread.
#pragma once

#include "host/SessionView.h"

#include <cstdarg>
#include <cstddef>
#include <string_view>

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

private:
    ISessionView& m_View;
};

} // namespace dravo
