// MetricsServer: the Prometheus endpoint, http://<MetricsBindAddress>:<MetricsPort>/metrics.
//
// Contract. The program starts it on the window thread once hosting has started, when MetricsPort is
// set, and stops it there after the console window has closed. Its TcpServer thread does all the
// work: it reads one request head of at most MAX_REQUEST_BYTES within the request timeout, answers GET
// or HEAD of /metrics with the page built from a reading of the session's facts and counters (atomics and
// the facts' own small lock: a scrape never takes UpdateLock), and closes the connection. Anything else gets its HTTP
// error.
//
//   MetricsPort            TCP port, 1..65535; 0 or unset leaves the endpoint off
//   MetricsBindAddress     IPv4 address to listen on; 127.0.0.1 unless given
//   MetricsMaxConnections  connections at once, 1..1024 (8)
//   MetricsMaxPerAddress   connections at once from one address, 1..1024 (4)
//   MetricsRequestTimeout  seconds a connection may take to send its request (5)
#pragma once

#include "host/console/ConsoleLog.h"
#include "host/state/SessionCounters.h"
#include "host/state/SessionFacts.h"
#include "platform/os/Clock.h"
#include "services/TcpServer.h"
#include "settings/VariableReader.h"

#include <map>
#include <string>
#include <vector>

namespace dravo {

struct MetricsOptions {
    bool m_Enabled = false;
    std::vector<std::string> m_Problems; // values that were not taken
    uint32_t m_BindAddress = 0x7F000001;
    uint16_t m_Port = 0;
    TcpServerLimits m_Limits{8, 4, size_t{1024} * 1024, std::chrono::milliseconds(5000)};
};

MetricsOptions ReadMetricsOptions(VariableReader& reader);

// What a scrape reads: the session's facts and counters, and its clock for the uptime.
struct MetricsSources {
    const SessionFacts& m_Facts;
    const SessionCounters& m_Counters;
    IClock& m_Clock;
};

class MetricsServer final : private ITcpHandler {
public:
    static constexpr size_t MAX_REQUEST_BYTES = 8192;

    MetricsServer(MetricsSources sources, ConsoleLog& log, const MetricsOptions& options);
    ~MetricsServer() override;
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Listens and starts the thread; false (and a line in the console log says why) when it cannot.
    [[nodiscard]] bool Start();
    void Stop() { m_Server.Stop(); }
    uint16_t Port() const { return m_Server.Port(); }

private:
    // The answer to one request head (status line, headers, body).
    std::string Answer(std::string_view head) const;

    bool OnOpen(TcpConnectionId id, const NetPeer& peer) override;
    void OnData(TcpConnectionId id, std::span<const char> data) override;
    void OnClosed(TcpConnectionId id, TcpCloseReason reason) override;
    void OnRefused(const NetPeer& peer, TcpRefuseReason reason) override;
    void OnWake() override {}

    MetricsSources m_Sources;
    ConsoleLog& m_Log;
    MetricsOptions m_Options;
    TcpServer m_Server;
    std::map<TcpConnectionId, std::string> m_Requests; // the server's thread only
    bool m_OutOfDescriptorsSaid = false;               // the server's thread only
};

} // namespace dravo
