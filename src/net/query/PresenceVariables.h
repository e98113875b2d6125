// PresenceVariables: the engine console variables that point the internet presence
// somewhere else, read when hosting starts.
//
// Operators point them at a living master server and server list; tests point
// them at 127.0.0.1. What is absent or unreadable keeps its default; a value
// that is not taken keeps it too, and the reader says so.
#pragma once

#include "net/query/QueryReporter.h"
#include "settings/VariableReader.h"

#include <cstdint>
#include <string>

namespace dravo {

constexpr uint16_t DEFAULT_QUERY_PORT = 25554;

struct PresenceVariables {
    QueryReporterOptions m_Reporter;
    uint16_t m_QueryPort = DEFAULT_QUERY_PORT;
    AdvertisedPorts::Pair m_Advertised; // the operator's; 0 where not set
    std::string m_RegistrationUrl;
};

// Reads every override; the registration URL starts as `defaultUrl`.
PresenceVariables ReadPresenceVariables(VariableReader& reader, const std::string& defaultUrl);

} // namespace dravo
