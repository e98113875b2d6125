// The query reporter's life, its heartbeat, the query-port socket and the send path.
#include "net/QueryReporter.h"
#include "platform/Text.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

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

constexpr uint32_t LOOPBACK_NETWORK = 0x7F000000;
constexpr uint32_t LOOPBACK_MASK = 0xFF000000;

} // namespace

QueryReporter::QueryReporter(IClock& clock, MasterLookup::Resolve resolve)
    : m_Clock(clock), m_Lookup(std::move(resolve)) {
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
    m_MasterAddress.clear();
    m_Lookup.Reset();
    if (const std::optional<uint32_t> dotted = UdpSocket::ParseAddress(m_MasterHost.c_str())) {
        char text[16];
        UdpSocket::FormatAddress(*dotted, text, sizeof text);
        m_MasterAddress = text; // an address needs no lookup
    } else if (IsHostName(m_MasterHost)) {
        m_Lookup.Start(m_MasterHost, m_Clock.NowMs()); // heartbeats begin when it is found
    } else {
        Say("GameSpy master server \"" + m_MasterHost + "\" is no host name: no heartbeats are sent.");
    }
    m_Socket.Close();
    if (queryPort < 0 || queryPort > UINT16_MAX) {
        return false;
    }
    std::optional<UdpSocket> socket = UdpSocket::Open(static_cast<uint16_t>(queryPort));
    if (!socket) {
        return false;
    }
    m_Socket = std::move(*socket);
    (void)m_Socket.SetReceiveBuffer(static_cast<int>(RECEIVE_BUFFER_BYTES));
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
    m_Lookup.Reset();
    m_MasterMissingSaid = false;
    m_HeartbeatDue = false;
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
    // Everything waiting is read, a batch at a time, for a bounded time: what the allowances refuse
    // costs a table look-up.
    const auto start = std::chrono::steady_clock::now();
    int answered = 0;
    constexpr int BATCH = 32;
    char buffer[BATCH * (MAX_DATAGRAM + 1)];
    UdpDatagram datagrams[BATCH];
    for (;;) {
        const int taken = m_Socket.ReceiveBatch(buffer, MAX_DATAGRAM + 1, datagrams, BATCH);
        for (int i = 0; i < taken; ++i) {
            const UdpDatagram& datagram = datagrams[i];
            // Too long (more than a query may be), or one of the empty datagrams some clients send.
            if (datagram.m_Oversized || datagram.m_Length == 0 || datagram.m_Length > MAX_DATAGRAM) {
                m_Counters->Drop(QueryDrop::Size);
                continue;
            }
            buffer[static_cast<size_t>(i) * (MAX_DATAGRAM + 1) + datagram.m_Length] = '\0';
            char address[16];
            UdpSocket::FormatAddress(datagram.m_From.m_Address, address, sizeof address);
            // Answered from the port that was asked: clients take answers only from where they sent.
            m_AnswerFromSocket = true;
            if (HandleQuery(std::string_view(datagram.m_Data, datagram.m_Length), address, datagram.m_From.m_Port)) {
                ++answered;
            }
            m_AnswerFromSocket = false;
        }
        if (taken < BATCH || std::chrono::steady_clock::now() - start >= m_Options.m_ReadTimePerProcess) {
            break; // nothing more waits, or the rest waits for the next step
        }
    }
    return answered;
}

bool QueryReporter::HandleExternalQuery(const char* address, int port, const char* data, int length) {
    if (!m_Socket.IsOpen()) {
        return false; // not reporting
    }
    // As on the query port: a query longer than a datagram there could be is no query.
    const std::string_view text =
        data == nullptr || length <= 0 ? std::string_view() : BoundedText(data, static_cast<size_t>(length));
    if (text.empty() || text.size() > MAX_DATAGRAM) {
        m_Counters->Drop(QueryDrop::Size);
        return false;
    }
    return HandleQuery(text, address, port);
}

// Heartbeat, to the master server: \heartbeat\<port>\gamename\<game>\final\\queryid\<id>.1
// where port is the game port with FLAG_HEARTBEAT_HOST_PORT, else the query port. One is due at the start
// and every HEARTBEAT_PERIOD_MS after; a due one goes out as soon as the master's address is known.
void QueryReporter::CheckHeartbeat() {
    const uint32_t now = m_Clock.NowMs();
    const uint32_t elapsed = now - m_LastHeartbeatCheck;
    m_LastHeartbeatCheck = now;
    if (elapsed < m_HeartbeatCountdown) {
        m_HeartbeatCountdown -= elapsed;
    } else {
        m_HeartbeatCountdown = HEARTBEAT_PERIOD_MS; // time beyond the countdown is not carried over
        m_HeartbeatDue = true;
        if (m_MasterAddress.empty() && IsHostName(m_MasterHost)) {
            m_Lookup.Start(m_MasterHost, now); // again, once a period, until it is found
        }
    }
    FollowMasterLookup(now);
    if (!m_HeartbeatDue || m_MasterAddress.empty()) {
        return;
    }
    m_HeartbeatDue = false;
    m_Answer.BeginReply(m_MasterAddress, m_Options.m_MasterPort);
    AddKeyInt(HEARTBEAT_KEY, (m_Flags & FLAG_HEARTBEAT_HOST_PORT) != 0 ? m_HostPort : m_Socket.Port());
    AddKeyValue(GAME_NAME_KEY, m_GameName);
    m_Answer.FinishReply();
    (void)m_Router.TakeBytes(); // a heartbeat is no answer
    CountOne(m_Counters->m_Heartbeats);
}

void QueryReporter::FollowMasterLookup(uint32_t nowMs) {
    if (!m_MasterAddress.empty()) {
        return;
    }
    uint32_t address = 0;
    switch (m_Lookup.Poll(nowMs, address)) {
    case MasterLookup::State::Found: {
        char text[16];
        UdpSocket::FormatAddress(address, text, sizeof text);
        m_MasterAddress = text;
        if (std::exchange(m_MasterMissingSaid, false)) {
            Say("GameSpy master server " + m_MasterHost + " found at " + m_MasterAddress + "; heartbeats begin.");
        }
        break;
    }
    case MasterLookup::State::Failed:
        if (!std::exchange(m_MasterMissingSaid, true)) {
            Say("GameSpy master server " + m_MasterHost + " not found; retrying every " +
                std::to_string(HEARTBEAT_PERIOD_MS / 1000) + " seconds.");
        }
        break;
    case MasterLookup::State::Idle:
    case MasterLookup::State::Pending:
        break;
    }
}

void QueryReporter::Say(const std::string& line) const {
    if (m_Logger) {
        m_Logger(line);
    }
}

bool QueryReporter::IsOwnSender(uint32_t address, int port) const {
    const bool ourPort = port == m_Socket.Port() || (m_HostPort != 0 && port == m_HostPort);
    const bool ourHost =
        (address & LOOPBACK_MASK) == LOOPBACK_NETWORK || (m_OwnAddress != 0 && address == m_OwnAddress);
    return ourPort && ourHost;
}

bool QueryReporter::Router::SendDatagram(const char* data, size_t length, const char* address, int port) {
    if (data == nullptr || address == nullptr || address[0] == '\0') {
        return false;
    }
    m_Bytes += length;
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
