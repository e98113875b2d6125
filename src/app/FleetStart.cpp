// Wiring the fleet client to the console window and its session.
#include "app/FleetStart.h"

#include "services/fleet/FleetSettings.h"

#include <cstdlib>

namespace dravo {

std::unique_ptr<FleetClient> StartFleetClient(EngineServer* server, ConsoleWindow& console,
                                              std::vector<std::string>& notes) {
    VariableReader reader(*server);
    const FleetSidecar sidecar = FindFleetSidecar(std::getenv(SDK_PORT_ENVIRONMENT), reader);
    if (!sidecar.m_Problem.empty()) {
        notes.push_back(sidecar.m_Problem);
    }
    if (!sidecar.m_BaseUrl) {
        return nullptr;
    }
    FleetOptions options;
    options.m_BaseUrl = *sidecar.m_BaseUrl;
    FleetHooks hooks;
    hooks.m_Log = [&console](const std::string& line) { console.Session().LogText(line); };
    hooks.m_NextLevel = [&console] { (void)console.PressButton(ConsoleControl::NextLevelButton); };
    return std::make_unique<FleetClient>(console.Session().Facts(), std::move(options), std::move(hooks));
}

} // namespace dravo
