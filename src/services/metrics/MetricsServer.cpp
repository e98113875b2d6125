// The metrics endpoint: reading a request head and answering it.
#include "services/metrics/MetricsServer.h"

#include "services/metrics/MetricsPage.h"

namespace dravo {
namespace {

// Where a request head ends: after an empty line, its line ends CR LF or a bare LF (which HTTP/1.1 lets a
// server accept); the offset of the empty line's end, npos while there is none.
size_t HeadEnd(std::string_view request) {
    for (size_t at = request.find('\n'); at != std::string_view::npos; at = request.find('\n', at + 1)) {
        if (at + 1 < request.size() && request[at + 1] == '\n') {
            return at + 2;
        }
        if (at + 2 < request.size() && request[at + 1] == '\r' && request[at + 2] == '\n') {
            return at + 3;
        }
    }
    return std::string_view::npos;
}

constexpr std::string_view METRICS_PATH = "/metrics";
constexpr const char* PAGE_TYPE = "text/plain; version=0.0.4; charset=utf-8";

std::string Response(std::string_view status, std::string_view type, const std::string& body, bool withBody,
                     std::string_view extra = {}) {
    std::string out = "HTTP/1.1 ";
    out.append(status).append("\r\nContent-Type: ").append(type);
    out.append("\r\nContent-Length: ").append(std::to_string(body.size()));
    out.append("\r\nCache-Control: no-store\r\nConnection: close\r\n").append(extra).append("\r\n");
    if (withBody) {
        out.append(body);
    }
    return out;
}

std::string Plain(std::string_view status, std::string_view text, std::string_view extra = {}) {
    return Response(status, "text/plain; charset=utf-8", std::string(text) + "\n", true, extra);
}

} // namespace

MetricsOptions ReadMetricsOptions(VariableReader& reader) {
    namespace variable = service_variable;
    MetricsOptions options;
    if (auto port = reader.Whole(variable::METRICS_PORT)) {
        options.m_Port = static_cast<uint16_t>(*port);
        options.m_Enabled = true;
    }
    options.m_BindAddress = reader.Address(variable::METRICS_BIND_ADDRESS).value_or(options.m_BindAddress);
    TcpServerLimits& limits = options.m_Limits;
    limits.m_MaxConnections = reader.Whole(variable::METRICS_MAX_CONNECTIONS).value_or(limits.m_MaxConnections);
    limits.m_MaxPerAddress = reader.Whole(variable::METRICS_MAX_PER_ADDRESS).value_or(limits.m_MaxPerAddress);
    limits.m_FirstDeadline = reader.Seconds(variable::METRICS_REQUEST_TIMEOUT).value_or(limits.m_FirstDeadline);
    options.m_Problems = reader.TakeProblems();
    return options;
}

MetricsServer::MetricsServer(MetricsSources sources, ConsoleLog& log, const MetricsOptions& options)
    : m_Sources(sources), m_Log(log), m_Options(options), m_Server(*this, options.m_Limits, sources.m_Clock) {}

MetricsServer::~MetricsServer() {
    Stop();
}

bool MetricsServer::Start() {
    const std::string where = FormatAddress(m_Options.m_BindAddress) + ":" + std::to_string(m_Options.m_Port);
    std::string reason;
    std::optional<TcpListener> listener = TcpListener::Open(m_Options.m_BindAddress, m_Options.m_Port, reason);
    if (!listener || !m_Server.Start(std::move(*listener))) {
        m_Log.Line("ERROR - The metrics endpoint cannot listen on TCP %s: %s.", where.c_str(),
                   reason.empty() ? "no thread" : reason.c_str());
        return false;
    }
    const std::string bound = FormatAddress(m_Options.m_BindAddress) + ":" + std::to_string(m_Server.Port());
    m_Log.Line("Metrics at http://%s/metrics.", bound.c_str());
    return true;
}

bool MetricsServer::OnOpen(TcpConnectionId id, const NetPeer& /*peer*/) {
    m_Requests[id];
    m_OutOfDescriptorsSaid = false;
    return true;
}

void MetricsServer::OnRefused(const NetPeer& /*peer*/, TcpRefuseReason reason) {
    if (reason == TcpRefuseReason::OutOfDescriptors && !m_OutOfDescriptorsSaid) {
        m_OutOfDescriptorsSaid = true; // once until a connection is taken again
        m_Log.Line("Metrics: the system has no file descriptor for a new connection (see the open files limit); "
                   "accepting pauses a moment at a time.");
    }
}

void MetricsServer::OnClosed(TcpConnectionId id, TcpCloseReason /*reason*/) {
    m_Requests.erase(id);
}

void MetricsServer::OnData(TcpConnectionId id, std::span<const char> data) {
    const auto found = m_Requests.find(id);
    if (found == m_Requests.end()) {
        return;
    }
    std::string& request = found->second;
    request.append(data.data(), data.size());
    const size_t end = HeadEnd(request);
    if (end == std::string::npos && request.size() <= MAX_REQUEST_BYTES) {
        return; // more to come, within the deadline
    }
    const std::string answer = end == std::string::npos || end > MAX_REQUEST_BYTES
                                   ? Plain("431 Request Header Fields Too Large", "The request head is too long.")
                                   : Answer(std::string_view(request).substr(0, end));
    m_Server.SetEstablished(id); // answered: no longer a connection that makes room for new ones
    m_Server.SetReading(id, false);
    (void)m_Server.Send(id, answer);
    m_Server.Close(id, true);
}

// Request line: METHOD SP target SP HTTP/1.x; the headers are not needed.
std::string MetricsServer::Answer(std::string_view head) const {
    std::string_view line = head.substr(0, head.find('\n'));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    const size_t firstSpace = line.find(' ');
    const size_t secondSpace = firstSpace == std::string_view::npos ? firstSpace : line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos || !line.substr(secondSpace + 1).starts_with("HTTP/1.")) {
        return Plain("400 Bad Request", "Not an HTTP/1 request.");
    }
    const std::string_view method = line.substr(0, firstSpace);
    std::string_view target = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    target = target.substr(0, target.find('?'));
    if (method != "GET" && method != "HEAD") {
        return Plain("405 Method Not Allowed", "Only GET and HEAD are served.", "Allow: GET, HEAD\r\n");
    }
    if (target == "/") {
        return Response("200 OK", "text/plain; charset=utf-8", "DravoServ metrics: /metrics\n", method == "GET");
    }
    if (target != METRICS_PATH) {
        return Plain("404 Not Found", "Only /metrics is served here.");
    }
    const std::string page = BuildMetricsPage(
        ReadMetrics(m_Sources.m_Facts, m_Sources.m_Counters, m_Sources.m_Clock.NowMs()), DRAVO_VERSION_TEXT);
    return Response("200 OK", PAGE_TYPE, page, method == "GET");
}

} // namespace dravo
