// The query reporter's life, its heartbeat, the query-port socket and the send path.
#include "net/QueryReporter.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace dravo {
namespace {

constexpr std::string_view INDEX_DIRECTIVE = "%i";
constexpr const char* HEARTBEAT_KEY = "heartbeat";
constexpr const char* GAME_NAME_KEY = "gamename";

// The pattern with its first "%i" replaced by the index; the pattern is never used as a format.
std::string MasterHostName(std::string_view pattern, int index) {
    std::string host(pattern);
    const size_t at = host.find(INDEX_DIRECTIVE);
    if (at != std::string::npos) {
        host.replace(at, INDEX_DIRECTIVE.size(), std::to_string(index));
    }
    return host;
}

// Letters, digits, hyphens and dots: anything else is no host name and is never looked up.
bool IsHostName(std::string_view text) {
    constexpr size_t MAX_HOST_NAME = 253;
    return !text.empty() && text.size() <= MAX_HOST_NAME && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    });
}

// The master's dotted address, looked up once here on the thread that starts hosting, so that a slow
// name service never holds up an update step; empty when it has none (no heartbeats then).
std::string ResolveMaster(const std::string& host) {
    if (!IsHostName(host)) {
        return {};
    }
    const std::optional<uint32_t> address = UdpSocket::Resolve(host.c_str());
    if (!address) {
        return {};
    }
    char text[16];
    UdpSocket::FormatAddress(*address, text, sizeof text);
    return text;
}

} // namespace

QueryReporter::QueryReporter(IClock& clock) : m_Clock(clock) {
    Reset();
}

void QueryReporter::SetOptions(const QueryReporterOptions& options) {
    m_Options = options;
    m_Limiter.SetLimits(options.m_Limits);
}

bool QueryReporter::Initialize(const char* gameName, const char* gameVersion, const char* secretKey, int masterIndex,
                               int hostPort, int queryPort, uint32_t flags) {
    if (gameName == nullptr || gameVersion == nullptr || secretKey == nullptr) {
        return false;
    }
    m_GameName = gameName;
    m_GameVersion = gameVersion;
    m_SecretKey = secretKey;
    m_HostPort = hostPort;
    m_Flags = flags;
    m_Location = std::to_string(masterIndex);
    m_MasterHost = MasterHostName(m_Options.m_MasterHostPattern, masterIndex);
    m_MasterAddress = ResolveMaster(m_MasterHost);
    m_Socket.Close();
    if (queryPort < 0 || queryPort > UINT16_MAX) {
        return false;
    }
    std::optional<UdpSocket> socket = UdpSocket::Open(static_cast<uint16_t>(queryPort));
    if (!socket) {
        return false;
    }
    m_Socket = std::move(*socket);
    m_Limiter.Clear();
    return true;
}

void QueryReporter::Shutdown() {
    m_Socket.Close();
    Reset();
}

void QueryReporter::Reset() {
    m_GameName.clear();
    m_GameVersion.clear();
    m_SecretKey.clear();
    m_Location.clear();
    m_MasterHost.clear();
    m_MasterAddress.clear();
    m_Answer.Reset();
    m_HeartbeatCountdown = 0;
    m_HostPort = 0;
    m_Flags = 0;
    m_Hook = nullptr;
    m_Limiter.Clear();
}

int QueryReporter::Process() {
    if (!m_Socket.IsOpen()) {
        return 0; // not reporting
    }
    CheckHeartbeat();
    int answered = 0;
    char buffer[MAX_DATAGRAM + 1];
    for (int read = 0; read < MAX_DATAGRAMS_PER_PROCESS; ++read) {
        size_t length = 0;
        UdpPeer from;
        const UdpSocket::Received received = m_Socket.Receive(buffer, MAX_DATAGRAM, length, from);
        if (received == UdpSocket::Received::Nothing || received == UdpSocket::Received::Failed) {
            break;
        }
        if (received != UdpSocket::Received::Datagram || length == 0) {
            continue; // too long, or one of the empty datagrams some clients send when they retry
        }
        buffer[length] = '\0';
        char address[16];
        UdpSocket::FormatAddress(from.m_Address, address, sizeof address);
        // Answered from the port that was asked: clients take answers only from where they sent.
        m_AnswerFromSocket = true;
        if (HandleQuery(std::string_view(buffer, length), address, from.m_Port)) {
            ++answered;
        }
        m_AnswerFromSocket = false;
    }
    return answered;
}

bool QueryReporter::HandleExternalQuery(const char* address, int port, const char* data, int length) {
    if (!m_Socket.IsOpen() || data == nullptr || length <= 0) {
        return false; // not reporting, or nothing to read
    }
    const size_t bound = std::min(static_cast<size_t>(length), QueryTokenizer::MAX_TEXT);
    return HandleQuery(BoundedText(data, bound), address, port);
}

// Heartbeat, to the master server: \heartbeat\<port>\gamename\<game>\final\\queryid\<id>.1
// where port is the game port with FLAG_HEARTBEAT_HOST_PORT, else the query port.
void QueryReporter::CheckHeartbeat() {
    const uint32_t now = m_Clock.NowMs();
    const uint32_t elapsed = now - m_LastHeartbeatCheck;
    m_LastHeartbeatCheck = now;
    if (elapsed < m_HeartbeatCountdown) {
        m_HeartbeatCountdown -= elapsed;
        return;
    }
    // Time beyond the countdown is not carried over.
    m_HeartbeatCountdown = HEARTBEAT_PERIOD_MS;
    m_Answer.BeginReply(m_MasterAddress, m_Options.m_MasterPort);
    AddKeyInt(HEARTBEAT_KEY, (m_Flags & FLAG_HEARTBEAT_HOST_PORT) != 0 ? m_HostPort : m_Socket.Port());
    AddKeyValue(GAME_NAME_KEY, m_GameName);
    m_Answer.FinishReply();
}

bool QueryReporter::Router::SendDatagram(const char* data, size_t length, const char* address, int port) {
    if (data == nullptr || address == nullptr || address[0] == '\0') {
        return false;
    }
    if (m_Owner.m_Hook != nullptr && !m_Owner.m_AnswerFromSocket) {
        (void)m_Owner.m_Hook->SendDatagram(data, length, address, port);
        return true;
    }
    if (!m_Owner.m_Socket.IsOpen() || port <= 0 || port > UINT16_MAX) {
        return false;
    }
    const std::optional<uint32_t> destination = UdpSocket::Resolve(address);
    return destination && m_Owner.m_Socket.SendTo(data, length, UdpPeer{*destination, static_cast<uint16_t>(port)});
}

} // namespace dravo
