// The reference engine's "frameintervals" answer: the step intervals it counted since the last reset.
#pragma once

#include <cstdio>
#include <string>

namespace dravo::bench {

struct FrameIntervals {
    double m_Count = 0, m_P50 = 0, m_P99 = 0, m_Max = 0;
};

// Reads "frameintervals: N intervals, p50 X ms, p99 Y ms, max Z ms" out of a console line.
inline bool ParseFrameIntervals(const std::string& line, FrameIntervals& out) {
    const size_t at = line.find("frameintervals: ");
    return at != std::string::npos &&
           std::sscanf(line.c_str() + at, "frameintervals: %lf intervals, p50 %lf ms, p99 %lf ms, max %lf ms",
                       &out.m_Count, &out.m_P50, &out.m_P99, &out.m_Max) == 4;
}

} // namespace dravo::bench
