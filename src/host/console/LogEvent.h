// LogEvent: one thing that happened to the server, for machines: a stable name, a level, the line the
// plain log shows for it and its fields. Names and fields never change meaning; a change is a new name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace dravo {

enum class EventLevel : uint8_t { Debug, Info, Notice, Warning, Error };

// "debug", "info", "notice", "warning", "error".
std::string_view EventLevelName(EventLevel level);
// The syslog priority of the level (3 for an error, 6 for info), for the journal.
int EventLevelPriority(EventLevel level);

struct EventField {
    using Value = std::variant<std::string, int64_t, bool>;
    std::string m_Key; // lower_snake_case, unique within an event
    Value m_Value;
};
using EventFields = std::vector<EventField>;

struct LogEvent {
    std::string m_Name; // dotted lower-case ("player.joined")
    EventLevel m_Level = EventLevel::Info;
    std::string m_Message; // the plain log's line for it; empty only for an event that has none
    EventFields m_Fields;
    bool m_PlainLine = true; // false: the plain log has no line for it (the event stream alone tells it)
};

// The event names; each is listed, with its fields, in the event schema and in the guide.
namespace event_name {
inline constexpr std::string_view LOG_LINE = "log.line";       // a console log line that is no event of its own
inline constexpr std::string_view LOG_DROPPED = "log.dropped"; // lines the log file could not keep
inline constexpr std::string_view SERVER_STARTING = "server.starting";
inline constexpr std::string_view SERVER_RUNNING = "server.running";
inline constexpr std::string_view SERVER_READY = "server.ready";
inline constexpr std::string_view SERVER_STOPPING = "server.stopping";
inline constexpr std::string_view SERVER_STOPPED = "server.stopped";
inline constexpr std::string_view PLAYER_JOINED = "player.joined";
inline constexpr std::string_view PLAYER_LEFT = "player.left";
inline constexpr std::string_view PLAYER_KICKED = "player.kicked";
inline constexpr std::string_view PLAYER_BANNED = "player.banned";
inline constexpr std::string_view LEVEL_CHANGED = "level.changed";
inline constexpr std::string_view CONSOLE_COMMAND = "console.command";
inline constexpr std::string_view REMOTE_LOGIN = "remote.login";
inline constexpr std::string_view MASTER_HEARTBEAT = "master.heartbeat";
inline constexpr std::string_view WEB_REGISTRATION = "webreg.result";
inline constexpr std::string_view QUERY_FLOOD_STARTED = "query.flood_started";
inline constexpr std::string_view QUERY_FLOOD_ENDED = "query.flood_ended";
} // namespace event_name

// Builds the fields of an event: EventFieldList().Text("name", n).Number("id", 3).Take().
class EventFieldList {
public:
    EventFieldList& Text(std::string key, std::string_view value) {
        m_Fields.push_back({std::move(key), std::string(value)});
        return *this;
    }
    EventFieldList& Number(std::string key, int64_t value) {
        m_Fields.push_back({std::move(key), value});
        return *this;
    }
    EventFieldList& Flag(std::string key, bool value) {
        m_Fields.push_back({std::move(key), value});
        return *this;
    }
    EventFields Take() { return std::move(m_Fields); }

private:
    EventFields m_Fields;
};

} // namespace dravo
