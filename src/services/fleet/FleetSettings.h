// FleetSettings: whether the fleet client runs, and where its sidecar listens.
//
// On when the environment variable AGONES_SDK_HTTP_PORT holds a port (the fleet sets it in every game
// server's container), else when the engine variable AgonesSdkPort (the service table's) does (set in the configuration
// file or with +AgonesSdkPort on the command line; 0 or absent is off). The sidecar is on this machine:
// http://localhost:<port>.
#pragma once

#include "services/fleet/AllocatedEmpty.h"
#include "settings/VariableReader.h"

#include <optional>
#include <string>
#include <vector>

namespace dravo {

inline constexpr const char* SDK_PORT_ENVIRONMENT = "AGONES_SDK_HTTP_PORT";

struct FleetSidecar {
    std::optional<std::string> m_BaseUrl; // set when the client is on
    std::string m_Problem;                // a value that is no port, said in the console log; the client is off
};

// `environmentPort` is the environment variable's value, null when it is not set; the engine's variable
// counts only without it.
FleetSidecar FindFleetSidecar(const char* environmentPort, VariableReader& reader);

// What an Allocated server without players does, and after how long (AllocatedEmptyDelay, 0 or absent
// is off; AllocatedEmptyAction "shutdown" or "ready"); a value not taken is said in `notes`.
AllocatedEmptyOptions ReadAllocatedEmpty(VariableReader& reader, std::vector<std::string>& notes);

} // namespace dravo
