// Starting and stopping the remote console and the metrics endpoint.
#include "app/RemoteServices.h"

namespace dravo {

void RemoteServices::Start(ConsoleWindow& console) {
    ServerSession& session = console.Session();
    EngineServer* server = session.Server();
    if (server == nullptr || !session.IsRunning()) {
        return;
    }
    ConsoleLog& log = session.Log();
    VariableReader reader(*server);
    const RconOptions rcon = ReadRconOptions(reader, session.GamePort());
    for (const std::string& problem : rcon.m_Problems) {
        log.Line("%s%s", rcon.m_Enabled ? "Remote console: " : "Remote console off: ", problem.c_str());
    }
    if (rcon.m_Enabled) {
        m_Console = std::make_unique<RemoteConsole>(RemoteConsoleParts{console, log, session.Counters()}, rcon);
        if (!m_Console->Start()) {
            m_Console.reset();
        }
    }
    const MetricsOptions metrics = ReadMetricsOptions(reader);
    for (const std::string& problem : metrics.m_Problems) {
        log.Line("Metrics: %s", problem.c_str());
    }
    if (metrics.m_Enabled) {
        m_Metrics =
            std::make_unique<MetricsServer>(MetricsSources{session.Facts(), session.Counters(), m_Clock}, log, metrics);
        if (!m_Metrics->Start()) {
            m_Metrics.reset();
        }
    }
}

void RemoteServices::Stop() {
    m_Console.reset();
    m_Metrics.reset();
}

} // namespace dravo
