// StartFleetClient: the fleet client for this run, when the sidecar's port is set.
#pragma once

#include "engine/EngineServer.h"
#include "services/fleet/FleetClient.h"
#include "ui/ConsoleWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace dravo {

// Null when the client is off; a port that cannot be used goes to `notes` (lines for the console log). The
// client logs into the console window's log and presses its Next Level button; it must end before the
// window object does.
std::unique_ptr<FleetClient> StartFleetClient(EngineServer* server, ConsoleWindow& console,
                                              std::vector<std::string>& notes);

} // namespace dravo
