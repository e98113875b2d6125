// RunServices: the services beside the game for one run - the remote console, the metrics endpoint and
// the fleet client - wired to the session and the command service.
//
// Contract. Start-up makes it on the window thread and ends it there, in this order: the fleet client starts
// before hosting (so that it can say Ready as soon as the game runs), the listeners once hosting has been
// tried, each only when the operator switched it on; Stop ends the listeners and closes the fleet client's
// way into the session and the command service, before the session goes; FinishFleet, after the
// configuration is saved, says Shutdown to the fleet and ends the client.
#pragma once

#include "host/commands/CommandService.h"
#include "host/session/ServerSession.h"
#include "platform/os/BlockingPool.h"
#include "platform/os/Clock.h"
#include "services/fleet/FleetClient.h"
#include "services/metrics/MetricsServer.h"
#include "services/rcon/RemoteConsole.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dravo {

class RunServices {
public:
    RunServices(IClock& clock, BlockingPool& pool, ServerSession& session, CommandService& commands)
        : m_Clock(clock), m_Pool(pool), m_Session(session), m_Commands(commands) {}
    ~RunServices();
    RunServices(const RunServices&) = delete;
    RunServices& operator=(const RunServices&) = delete;

    // The fleet client, when its sidecar's port is set; a port that cannot be used goes to `notes`.
    void StartFleet(EngineServer& server, std::vector<std::string>& notes);
    // The listeners the operator switched on; nothing when hosting failed.
    void StartListeners();
    // The listeners end and the fleet client no longer reaches the session or the commands.
    void Stop();
    // The fleet client says Shutdown (if it has not) and ends.
    void FinishFleet();

    RemoteConsole* Console() const { return m_Console.get(); }
    MetricsServer* Metrics() const { return m_Metrics.get(); }

private:
    void CapConnections(RconOptions& rcon, MetricsOptions& metrics);
    // The fleet client's way into the session: open until Stop closes it, which waits for a call in
    // flight; the calls never wait.
    struct FleetGate {
        std::mutex m_Mutex;
        bool m_Open = true; // guarded by m_Mutex
    };

    IClock& m_Clock;
    BlockingPool& m_Pool;
    ServerSession& m_Session;
    CommandService& m_Commands;
    std::unique_ptr<RemoteConsole> m_Console;
    std::unique_ptr<MetricsServer> m_Metrics;
    std::shared_ptr<FleetGate> m_FleetGate = std::make_shared<FleetGate>();
    std::unique_ptr<FleetClient> m_Fleet;
};

} // namespace dravo
