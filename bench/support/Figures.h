// Figures: how every benchmark prints what it measured, one line a figure:
//   <name>: <value> <unit>   [goal <comparison> <limit>: met|MISSED]
#pragma once

#include <cstdio>
#include <string>

namespace dravo::bench {

inline void Figure(const std::string& name, double value, const char* unit) {
    std::printf("%-46s %12.3f %s\n", (name + ":").c_str(), value, unit);
}

// A figure with a goal it must stay at or below (atMost) or at or above.
inline void Goal(const std::string& name, double value, const char* unit, bool atMost, double limit) {
    const bool met = atMost ? value <= limit : value >= limit;
    std::printf("%-46s %12.3f %-10s goal %s %g: %s\n", (name + ":").c_str(), value, unit, atMost ? "<=" : ">=", limit,
                met ? "met" : "MISSED");
}

inline void Note(const std::string& text) {
    std::printf("  %s\n", text.c_str());
}

} // namespace dravo::bench
