// MetricsPage: the series the metrics endpoint serves, from one reading of the session's facts and
// counters.
#pragma once

#include "host/state/SessionCounters.h"
#include "host/state/SessionFacts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dravo {

// Everything one page shows, copied at once.
struct MetricsReading {
    SessionSnapshot m_Facts; // the game: phase, players, level
    uint64_t m_Steps = 0;    // update steps run
    uint64_t m_UptimeMs = 0; // since hosting began; 0 while the game is not hosted
    CounterSnapshot m_Counters;
};

// Copies the facts and the counters; takes the facts' own small lock, never UpdateLock.
MetricsReading ReadMetrics(const SessionFacts& facts, const SessionCounters& counters, uint32_t nowMs);

// The whole page in the Prometheus text format.
std::string BuildMetricsPage(const MetricsReading& reading, std::string_view version);

} // namespace dravo
