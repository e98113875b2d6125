// MetricsPage: the series the metrics endpoint serves, from one snapshot of the session's counters.
#pragma once

#include "host/SessionCounters.h"

#include <string>
#include <string_view>

namespace dravo {

// The whole page in the Prometheus text format.
std::string BuildMetricsPage(const SessionSnapshot& snapshot, std::string_view version);

} // namespace dravo
