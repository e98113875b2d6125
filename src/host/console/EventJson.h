// EventJson: one event as one line of JSON, the form the event stream writes.
//
// {"time":"2026-05-01T13:45:07.123Z","level":"info","event":"player.joined","message":"...",
//  "fields":{"id":3,"name":"Ann"}}
// Text that is not UTF-8 (a player's name in a legacy code page) is read byte by byte as Latin-1, so
// that every line is valid JSON whatever the game sends.
#pragma once

#include "host/console/LogEvent.h"

#include <chrono>
#include <string>
#include <string_view>

namespace dravo {

// "2026-05-01T13:45:07.123Z": RFC 3339 in UTC with milliseconds.
std::string UtcEventTimestamp(std::chrono::system_clock::time_point moment);
// The text as the body of a JSON string (without its quotes).
std::string JsonEscape(std::string_view text);
// The event as one JSON object, without a line break.
std::string FormatEventJson(const LogEvent& event, std::chrono::system_clock::time_point moment);

} // namespace dravo
