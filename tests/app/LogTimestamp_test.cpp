// Time stamps of the log file: ISO 8601, local time, milliseconds and the UTC offset.
#include "app/LogTimestamp.h"

#include <gtest/gtest.h>

#include <regex>

namespace dravo {
namespace {

std::tm Moment(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    return local;
}

TEST(LogTimestamp, FormatsTheOffsetWithAColon) {
    EXPECT_EQ(FormatLogTimestamp(Moment(2024, 5, 1, 21, 4, 17), 2 * 3600, 532), "2024-05-01T21:04:17.532+02:00");
    EXPECT_EQ(FormatLogTimestamp(Moment(1999, 12, 31, 23, 59, 59), 0, 0), "1999-12-31T23:59:59.000+00:00");
}

TEST(LogTimestamp, WestOfUtcAndHalfHourZonesKeepTheirSignAndMinutes) {
    EXPECT_EQ(FormatLogTimestamp(Moment(2024, 1, 2, 3, 4, 5), -(3 * 3600 + 30 * 60), 7),
              "2024-01-02T03:04:05.007-03:30");
    EXPECT_EQ(FormatLogTimestamp(Moment(2024, 1, 2, 3, 4, 5), 5 * 3600 + 45 * 60, 999),
              "2024-01-02T03:04:05.999+05:45");
}

TEST(LogTimestamp, LocalTimeHasTheFullForm) {
    const std::string stamp = LocalLogTimestamp(std::chrono::system_clock::now());
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)"))) << stamp;
}

} // namespace
} // namespace dravo
