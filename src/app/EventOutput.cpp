// The event stream on standard output and the journal's priorities.
#include "app/EventOutput.h"

#include "host/console/ErrorEvents.h"
#include "host/console/EventJson.h"

namespace dravo {

void EventOutput::WriteLine(std::string_view line) {
    WriteEvent(LogEvent{std::string(event_name::LOG_LINE), EventLevel::Info, std::string(line), {}, true});
}

void EventOutput::WriteEvent(const LogEvent& event) {
    const std::string line = FormatEventJson(event, m_Now()) + '\n';
    std::scoped_lock lock(m_Mutex);
    m_Out << line << std::flush;
}

std::string JournalPrefix(std::string_view line) {
    EventLevel level = EventLevel::Info;
    if (line.starts_with("{\"time\":")) {
        for (const EventLevel candidate :
             {EventLevel::Debug, EventLevel::Notice, EventLevel::Warning, EventLevel::Error}) {
            if (line.find("\"level\":\"" + std::string(EventLevelName(candidate)) + "\"") != std::string_view::npos) {
                level = candidate;
                break;
            }
        }
    } else if (const size_t colon = line.find(": ERROR - ");
               FindErrorEvent(line) ||
               (colon != std::string_view::npos && line.substr(0, colon).find(' ') == std::string_view::npos)) {
        level = EventLevel::Error; // a line of the log, or "Caption: ERROR - ..." of a message box
    }
    return "<" + std::to_string(EventLevelPriority(level)) + ">";
}

} // namespace dravo
