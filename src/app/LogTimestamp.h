// LogTimestamp: the time stamp of a log file line, ISO 8601 in local time with the offset from UTC.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace dravo {

// "2024-05-01T13:45:07.123+02:00" from the broken-down local time, its offset east of UTC in
// seconds and the milliseconds.
std::string FormatLogTimestamp(const std::tm& local, long utcOffsetSeconds, int milliseconds);

// The same for a moment, in the process's time zone.
std::string LocalLogTimestamp(std::chrono::system_clock::time_point moment);

} // namespace dravo
