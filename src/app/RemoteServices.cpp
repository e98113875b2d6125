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
    const std::string password = log.Secrets().Value(REMOTE_PASSWORD_VARIABLE);
    const RconOptions rcon = ReadRconOptions(*server, password, session.GamePort());
    if (!rcon.m_Problem.empty()) {
        log.Line("%s%s.", rcon.m_Enabled ? "Remote console: " : "Remote console off: ", rcon.m_Problem.c_str());
    }
    if (rcon.m_Enabled) {
        m_Console = std::make_unique<RemoteConsole>(RemoteConsoleParts{console, log, session.Counters()}, rcon);
        if (!m_Console->Start()) {
            m_Console.reset();
        }
    }
    const MetricsOptions metrics = ReadMetricsOptions(*server);
    if (!metrics.m_Problem.empty()) {
        log.Line("Metrics: %s.", metrics.m_Problem.c_str());
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
