// FrameIntervals: how regularly the front end calls RunFrame, kept in a fixed histogram.
#include "FrameIntervals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dravo::ref {

void FrameIntervals::Reset() {
    m_Bins.fill(0);
    m_Count = 0;
    m_Longest = 0;
    m_Previous.reset();
}

void FrameIntervals::Frame(uint64_t now) {
    if (m_Previous && now >= *m_Previous) {
        const uint64_t interval = now - *m_Previous;
        const size_t bin = std::min<uint64_t>(interval / BIN_WIDTH_US, BIN_COUNT);
        if (m_Bins[bin] != UINT32_MAX) {
            ++m_Bins[bin];
            ++m_Count;
        }
        m_Longest = std::max(m_Longest, interval);
    }
    m_Previous = now;
}

uint64_t FrameIntervals::Percentile(double share) const {
    if (m_Count == 0) {
        return 0;
    }
    const auto wanted = static_cast<uint64_t>(std::ceil(std::clamp(share, 0.0, 1.0) * static_cast<double>(m_Count)));
    uint64_t seen = 0;
    for (size_t bin = 0; bin < BIN_COUNT; ++bin) {
        seen += m_Bins[bin];
        if (seen >= std::max<uint64_t>(wanted, 1)) {
            return std::min(static_cast<uint64_t>(bin + 1) * BIN_WIDTH_US, m_Longest);
        }
    }
    return m_Longest;
}

std::string FrameIntervals::Report() const {
    char text[160];
    std::snprintf(text, sizeof text, "frameintervals: %llu intervals, p50 %.1f ms, p99 %.1f ms, max %.1f ms",
                  static_cast<unsigned long long>(m_Count), static_cast<double>(Percentile(0.50)) / 1000.0,
                  static_cast<double>(Percentile(0.99)) / 1000.0, static_cast<double>(m_Longest) / 1000.0);
    return text;
}

} // namespace dravo::ref
