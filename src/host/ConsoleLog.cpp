// Formatting and cutting console log lines.
#include "host/ConsoleLog.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace dravo {

void ConsoleLog::Line(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    LineV(format, arguments);
    va_end(arguments);
}

void ConsoleLog::LineV(const char* format, va_list arguments) {
    char text[LOG_LINE_SIZE];
    std::vsnprintf(text, sizeof text, format, arguments);
    Text(text);
}

void ConsoleLog::Text(std::string_view text) {
    // A line fits the 500-byte buffer: longer text is cut, never overflowed.
    text = text.substr(0, std::min(text.size(), LOG_LINE_SIZE - 1));
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    if (text.empty()) {
        return;
    }
    if (static_cast<unsigned char>(text.back()) < 32) {
        text.remove_suffix(1); // one trailing line feed (or other control character) only
    }
    std::string line = m_Secrets.MaskLine(text);
    {
        std::scoped_lock lock(m_SinksMutex);
        for (ILogSink* sink : m_Sinks) {
            sink->WriteLine(line);
        }
    }
    m_View.AppendLogLine(std::move(line));
}

void ConsoleLog::AttachSink(ILogSink* sink) {
    std::scoped_lock lock(m_SinksMutex);
    if (sink != nullptr && std::find(m_Sinks.begin(), m_Sinks.end(), sink) == m_Sinks.end()) {
        m_Sinks.push_back(sink);
    }
}

void ConsoleLog::DetachSink(ILogSink* sink) {
    std::scoped_lock lock(m_SinksMutex);
    m_Sinks.erase(std::remove(m_Sinks.begin(), m_Sinks.end(), sink), m_Sinks.end());
}

} // namespace dravo
