// Writing events as JSON lines.
#include "host/console/EventJson.h"

#include <array>
#include <cstdio>

namespace dravo {
namespace {

constexpr std::array<std::string_view, 5> LEVEL_NAMES = {"debug", "info", "notice", "warning", "error"};
constexpr std::array<int, 5> LEVEL_PRIORITIES = {7, 6, 5, 4, 3};

// The length of the well-formed UTF-8 sequence that starts at `at`, or 0 when there is none.
size_t Utf8Length(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendValue(std::string& out, const EventField::Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        out += '"';
        out += JsonEscape(*text);
        out += '"';
    } else if (const auto* number = std::get_if<int64_t>(&value)) {
        out += std::to_string(*number);
    } else {
        out += std::get<bool>(value) ? "true" : "false";
    }
}

} // namespace

std::string_view EventLevelName(EventLevel level) {
    return LEVEL_NAMES.at(static_cast<size_t>(level));
}

int EventLevelPriority(EventLevel level) {
    return LEVEL_PRIORITIES.at(static_cast<size_t>(level));
}

std::string UtcEventTimestamp(std::chrono::system_clock::time_point moment) {
    using namespace std::chrono;
    const auto sinceEpoch = floor<milliseconds>(moment).time_since_epoch();
    const auto day = floor<days>(sys_time<milliseconds>(sinceEpoch));
    const year_month_day date(day);
    const hh_mm_ss<milliseconds> time(sys_time<milliseconds>(sinceEpoch) - day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    return text;
}

std::string JsonEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (c >= 0x80) {
            if (const size_t length = Utf8Length(text, at); length > 0) {
                out.append(text.substr(at, length));
                at += length;
                continue;
            }
            // A byte of a legacy code page: the Latin-1 character of that number, in UTF-8.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(c);
        }
        ++at;
    }
    return out;
}

std::string FormatEventJson(const LogEvent& event, std::chrono::system_clock::time_point moment) {
    std::string out = "{\"time\":\"" + UtcEventTimestamp(moment) + "\",\"level\":\"";
    out += EventLevelName(event.m_Level);
    out += "\",\"event\":\"" + JsonEscape(event.m_Name) + "\",\"message\":\"" + JsonEscape(event.m_Message) +
           "\",\"fields\":{";
    bool first = true;
    for (const EventField& field : event.m_Fields) {
        if (!first) {
            out += ',';
        }
        first = false;
        out += '"' + JsonEscape(field.m_Key) + "\":";
        AppendValue(out, field.m_Value);
    }
    out += "}}";
    return out;
}

} // namespace dravo
