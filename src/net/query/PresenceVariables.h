// PresenceVariables: the engine console variables that point the internet presence
// somewhere else, read when hosting starts.
//
// Operators point them at a living master server and server list; tests point
// them at 127.0.0.1. What is absent, unreadable or out of range keeps its default.
#pragma once

#include "engine/EngineServer.h"
#include "net/query/QueryReporter.h"

#include <cstdint>
#include <string>

namespace dravo {

constexpr uint16_t DEFAULT_QUERY_PORT = 25554;

// Variable names.
inline constexpr const char* MASTER_HOST_VARIABLE = "SpyMasterHost";        // master-host pattern, one "%i"
inline constexpr const char* MASTER_PORT_VARIABLE = "SpyMasterPort";        // 1..65535
inline constexpr const char* QUERY_PORT_VARIABLE = "SpyQueryPort";          // 1..65535
inline constexpr const char* RATE_BURST_VARIABLE = "SpyRateBurst";          // answers at once per address, 0 = off
inline constexpr const char* RATE_PER_SECOND_VARIABLE = "SpyRatePerSecond"; // answers a second per address
inline constexpr const char* GLOBAL_RATE_VARIABLE = "SpyGlobalRate";        // full answers a second, 0 = off
inline constexpr const char* GLOBAL_BYTES_VARIABLE = "SpyGlobalBytes";      // answer bytes a second, 0 = off
inline constexpr const char* REGISTRATION_URL_VARIABLE = "WebRegUrl";       // base URL of the built-in list

struct PresenceVariables {
    QueryReporterOptions m_Reporter;
    uint16_t m_QueryPort = DEFAULT_QUERY_PORT;
    std::string m_RegistrationUrl;
};

// Reads every override; the registration URL starts as `defaultUrl`.
PresenceVariables ReadPresenceVariables(EngineServer& server, const std::string& defaultUrl);

} // namespace dravo
