// Formatting and cutting console log lines, and handing them to the sinks and the view.
#include "host/console/ConsoleLog.h"

#include "host/console/ErrorEvents.h"
#include "host/console/LogCapture.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>

namespace dravo {

ConsoleLog::~ConsoleLog() {
    std::vector<ILogSink*> sinks;
    {
        std::scoped_lock lock(m_SinksMutex);
        sinks = m_Sinks;
    }
    for (ILogSink* sink : sinks) {
        Detach(*sink);
    }
}

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

std::string_view ConsoleLog::FitLine(std::string_view text) {
    // A line fits the 500-byte buffer: longer text is cut, never overflowed.
    text = text.substr(0, std::min(text.size(), LOG_LINE_SIZE - 1));
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    if (!text.empty() && static_cast<unsigned char>(text.back()) < 32) {
        text.remove_suffix(1); // one trailing line feed (or other control character) only
    }
    return text;
}

void ConsoleLog::Text(std::string_view text) {
    text = FitLine(text);
    if (text.empty()) {
        return;
    }
    LogEvent event{std::string(event_name::LOG_LINE), EventLevel::Info, std::string(text), {}, true};
    if (const std::optional<std::string_view> error = FindErrorEvent(text)) {
        event.m_Name = *error;
        event.m_Level = EventLevel::Error;
    }
    Event(std::move(event));
}

void ConsoleLog::Event(std::string_view name, EventLevel level, EventFields fields, const char* format, ...) {
    char text[LOG_LINE_SIZE];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    Event(LogEvent{std::string(name), level, std::string(FitLine(text)), std::move(fields), true});
}

void ConsoleLog::Event(LogEvent event) {
    event.m_Message = m_Secrets.MaskLine(FitLine(event.m_Message));
    for (EventField& field : event.m_Fields) {
        if (auto* text = std::get_if<std::string>(&field.m_Value)) {
            *text = m_Secrets.MaskLine(*text);
        }
    }
    const bool shown = event.m_PlainLine && !event.m_Message.empty();
    if (LogCapture* capture = LogCapture::Current(*this);
        shown && capture != nullptr && capture->Take(event.m_Message)) {
        return; // the program's own question: its answer is no line of the log
    }
    {
        std::scoped_lock lock(m_SinksMutex);
        for (ILogSink* sink : m_Sinks) {
            sink->WriteEvent(event);
        }
    }
    if (shown && event.m_Name == event_name::CONSOLE_COMMAND) {
        m_View.AppendCommandLine(std::move(event.m_Message));
    } else if (shown) {
        m_View.AppendLogLine(std::move(event.m_Message));
    }
}

void ConsoleLog::Command(std::string_view command, std::string_view origin) {
    const std::string masked(FitLine(ConsoleSecrets::MaskCommand(command)));
    if (masked.empty()) {
        return;
    }
    // The log shows a line from elsewhere than the operator's own console with where it came from.
    std::string shown = origin == "console" ? masked : "[" + std::string(origin) + "] " + masked;
    Event(LogEvent{std::string(event_name::CONSOLE_COMMAND), EventLevel::Info, std::move(shown),
                   EventFieldList().Text("origin", origin).Text("text", masked).Take(), true});
}

void ConsoleLog::Attach(ILogSink& sink) {
    std::scoped_lock notices(m_NoticesMutex);
    {
        std::scoped_lock lock(m_SinksMutex);
        if (std::find(m_Sinks.begin(), m_Sinks.end(), &sink) != m_Sinks.end()) {
            return;
        }
        m_Sinks.push_back(&sink);
    }
    if (m_ShowingNotices) {
        HandNotices(sink, true);
    }
}

void ConsoleLog::Detach(ILogSink& sink) {
    std::scoped_lock notices(m_NoticesMutex);
    {
        std::scoped_lock lock(m_SinksMutex);
        const auto found = std::find(m_Sinks.begin(), m_Sinks.end(), &sink);
        if (found == m_Sinks.end()) {
            return;
        }
        m_Sinks.erase(found);
    }
    if (m_ShowingNotices) {
        HandNotices(sink, false);
    }
}

void ConsoleLog::ShowNotices(bool shown) {
    std::scoped_lock notices(m_NoticesMutex);
    if (m_ShowingNotices == shown) {
        return;
    }
    m_ShowingNotices = shown;
    std::vector<ILogSink*> sinks;
    {
        std::scoped_lock lock(m_SinksMutex);
        sinks = m_Sinks;
    }
    for (ILogSink* sink : sinks) {
        HandNotices(*sink, shown);
    }
}

void ConsoleLog::HandNotices(ILogSink& sink, bool shown) {
    if (shown) {
        sink.SetNoticeHandler([this](const std::string& notice) { Text(notice); });
    } else {
        sink.SetNoticeHandler(nullptr);
    }
}

} // namespace dravo
