// LocalTime: a moment as the broken-down local time of the process's time zone, with its offset from UTC.
#pragma once

#include <ctime>

namespace dravo {

struct LocalTime {
    std::tm m_Fields{};          // the local date and time
    long m_UtcOffsetSeconds = 0; // east of UTC, daylight saving included
};

LocalTime ToLocalTime(std::time_t moment);

} // namespace dravo
