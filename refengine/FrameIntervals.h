// FrameIntervals: how regularly the front end calls RunFrame, kept in a fixed histogram.
//
// Recording is one array increment, so it costs the frame nothing. Intervals
// are counted in 0.1 ms bins up to 200 ms and in one bin beyond; the longest
// is kept exactly. Percentiles are reported as the upper edge of their bin.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace dravo::ref {

class FrameIntervals {
public:
    static constexpr uint64_t BIN_WIDTH_US = 100;
    static constexpr size_t BIN_COUNT = 2000; // plus one for everything longer

    // Forgets everything; the next frame starts the count.
    void Reset();
    // A frame began at `now` (microseconds of a steady clock).
    void Frame(uint64_t now);

    uint64_t Count() const { return m_Count; }
    uint64_t Longest() const { return m_Longest; }
    // The interval (microseconds) that the given share of intervals do not exceed; 0 when none was recorded.
    uint64_t Percentile(double share) const;
    // "frameintervals: N intervals, p50 9.1 ms, p99 10.3 ms, max 15.2 ms"
    std::string Report() const;

private:
    std::array<uint32_t, BIN_COUNT + 1> m_Bins{};
    uint64_t m_Count = 0;
    uint64_t m_Longest = 0;
    std::optional<uint64_t> m_Previous;
};

} // namespace dravo::ref
