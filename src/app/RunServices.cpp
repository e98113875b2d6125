// Starting and ending the services beside the game.
#include "app/RunServices.h"
#include "platform/os/OpenFiles.h"
#include "services/ConnectionShares.h"

#include "services/fleet/FleetSettings.h"
#include "settings/VariableReader.h"

#include <cstdlib>

namespace dravo {

RunServices::~RunServices() {
    Stop();
    FinishFleet();
}

void RunServices::StartFleet(EngineServer& server, std::vector<std::string>& notes) {
    VariableReader reader(server);
    const FleetSidecar sidecar = FindFleetSidecar(std::getenv(SDK_PORT_ENVIRONMENT), reader);
    if (!sidecar.m_Problem.empty()) {
        notes.push_back(sidecar.m_Problem);
    }
    if (!sidecar.m_BaseUrl) {
        return;
    }
    FleetOptions options;
    options.m_BaseUrl = *sidecar.m_BaseUrl;
    options.m_Advertised = &m_Session.Advertised();
    options.m_Clock = &m_Clock;
    options.m_AllocatedEmpty = ReadAllocatedEmpty(reader, notes);
    FleetHooks hooks;
    hooks.m_Log = [gate = m_FleetGate, &session = m_Session](const std::string& line) {
        std::scoped_lock lock(gate->m_Mutex);
        if (gate->m_Open) {
            session.LogText(line);
        }
    };
    hooks.m_NextLevel = [gate = m_FleetGate, &commands = m_Commands] {
        std::scoped_lock lock(gate->m_Mutex);
        if (gate->m_Open) {
            (void)commands.Submit("/nextlevel", CommandOrigin::Fleet(), 0, nullptr);
        }
    };
    hooks.m_Shutdown = [gate = m_FleetGate, &commands = m_Commands] {
        std::scoped_lock lock(gate->m_Mutex);
        if (gate->m_Open) {
            (void)commands.Submit("/shutdown", CommandOrigin::Fleet(), 0, nullptr);
        }
    };
    m_Fleet = std::make_unique<FleetClient>(m_Session.Facts(), m_Pool, std::move(options), std::move(hooks));
}

void RunServices::StartListeners() {
    EngineServer* server = m_Session.Server();
    if (server == nullptr || !m_Session.IsRunning()) {
        return;
    }
    ConsoleLog& log = m_Session.Log();
    VariableReader reader(*server);
    RconOptions rcon = ReadRconOptions(reader, m_Session.GamePort());
    for (const std::string& problem : rcon.m_Problems) {
        log.Line("%s%s", rcon.m_Enabled ? "Remote console: " : "Remote console off: ", problem.c_str());
    }
    MetricsOptions metrics = ReadMetricsOptions(reader);
    for (const std::string& problem : metrics.m_Problems) {
        log.Line("Metrics: %s", problem.c_str());
    }
    CapConnections(rcon, metrics);
    if (rcon.m_Enabled) {
        m_Console =
            std::make_unique<RemoteConsole>(RemoteConsoleParts{m_Commands, log, m_Session.Counters(), m_Clock}, rcon);
        if (!m_Console->Start()) {
            m_Console.reset();
        }
    }
    if (metrics.m_Enabled) {
        m_Metrics = std::make_unique<MetricsServer>(MetricsSources{m_Session.Facts(), m_Session.Counters(), m_Clock},
                                                    log, metrics);
        if (!m_Metrics->Start()) {
            m_Metrics.reset();
        }
    }
}

// The listeners' connection limits, cut to what the open files limit leaves room for, with a line each.
void RunServices::CapConnections(RconOptions& rcon, MetricsOptions& metrics) {
    const std::optional<uint64_t> openFiles = OpenFilesLimit();
    size_t& rconMost = rcon.m_Limits.m_MaxConnections;
    size_t& metricsMost = metrics.m_Limits.m_MaxConnections;
    const ConnectionShares shares =
        CapToOpenFiles(rcon.m_Enabled ? rconMost : 0, metrics.m_Enabled ? metricsMost : 0, openFiles);
    const auto cap = [&](size_t& most, size_t share, const char* prefix, const char* name) {
        if (share != 0 && share < most) {
            m_Session.Log().Line("%s%s %llu is more than the open files limit (%llu) leaves room for; %llu hold.",
                                 prefix, name, static_cast<unsigned long long>(most),
                                 static_cast<unsigned long long>(openFiles.value_or(0)),
                                 static_cast<unsigned long long>(share));
            most = share;
            rcon.m_Limits.m_MaxPerAddress = std::min(rcon.m_Limits.m_MaxPerAddress, rcon.m_Limits.m_MaxConnections);
            metrics.m_Limits.m_MaxPerAddress =
                std::min(metrics.m_Limits.m_MaxPerAddress, metrics.m_Limits.m_MaxConnections);
        }
    };
    cap(rconMost, shares.m_Rcon, "Remote console: ", "RconMaxConnections");
    cap(metricsMost, shares.m_Metrics, "Metrics: ", "MetricsMaxConnections");
}

void RunServices::Stop() {
    m_Console.reset();
    m_Metrics.reset();
    std::scoped_lock lock(m_FleetGate->m_Mutex);
    m_FleetGate->m_Open = false;
}

void RunServices::FinishFleet() {
    if (m_Fleet) {
        m_Fleet->Finish();
        m_Fleet.reset();
    }
}

} // namespace dravo
