// Formatting the time stamps of the log file.
#include "app/LogTimestamp.h"

#include "platform/os/LocalTime.h"

#include <cstdio>
#include <cstdlib>

namespace dravo {

std::string FormatLogTimestamp(const std::tm& local, long utcOffsetSeconds, int milliseconds) {
    const char sign = utcOffsetSeconds < 0 ? '-' : '+';
    const long offsetMinutes = std::labs(utcOffsetSeconds) / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, milliseconds, sign,
                  offsetMinutes / 60, offsetMinutes % 60);
    return text;
}

std::string LocalLogTimestamp(std::chrono::system_clock::time_point moment) {
    const auto sinceEpoch = moment.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const int milliseconds =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count());
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    const LocalTime local = ToLocalTime(whole);
    return FormatLogTimestamp(local.m_Fields, local.m_UtcOffsetSeconds, milliseconds);
}

} // namespace dravo
