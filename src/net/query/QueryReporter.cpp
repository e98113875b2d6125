// The query reporter's life, its heartbeat, the query-port socket and the send path.
#include "net/query/QueryReporter.h"
#include "platform/os/Text.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

namespace dravo {
namespace {

constexpr std::string_view INDEX_DIRECTIVE = "%i";
constexpr const char* HEARTBEAT_KEY = "heartbeat";
constexpr const char* GAME_NAME_KEY = "gamename";
constexpr const char* GAME_VERSION_KEY = "gamever";
constexpr const char* LOCATION_KEY = "location";

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

QueryReporter::QueryReporter(IClock& clock, BlockingPool& pool, MasterLookup::Resolve resolve)
    : m_Clock(clock), m_Lookup(pool, std::move(resolve)) {
    Reset();
}

void QueryReporter::SetOptions(const QueryReporterOptions& options) {
    m_Options = options;
    m_Limiter.SetLimits(options.m_Limits, options.m_AddressKey);
}

bool QueryReporter::Initialize(const char* gameName, const char* gameVersion, const char* secretKey, int masterIndex,
                               int hostPort, int queryPort, uint32_t flags) {
    if (gameName == nullptr || gameVersion == nullptr || secretKey == nullptr) {
        return false;
    }
    m_GameName = gameName;
    m_SecretKey = secretKey;
    m_HostPort = hostPort;
    m_Flags = flags;
    m_Basic.Clear();
    m_Basic.Add(GAME_NAME_KEY, gameName);
    m_Basic.Add(GAME_VERSION_KEY, gameVersion);
    m_Basic.AddInt(LOCATION_KEY, masterIndex);
    m_MasterHost = MasterHostName(m_Options.m_MasterHostPattern, masterIndex);
    m_MasterAddress = UdpSocket::ParseAddress(m_MasterHost.c_str()); // an address needs no lookup
    m_Lookup.Reset();
    if (!m_MasterAddress) {
        if (IsHostName(m_MasterHost)) {
            m_Lookup.Start(m_MasterHost, m_Clock.NowMs()); // heartbeats begin when it is found
        } else {
            Say("GameSpy master server \"" + m_MasterHost + "\" is no host name: no heartbeats are sent.");
        }
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
    m_A2sChallenge.SetKey(NewSipHashKey());
    m_QueuedCount = 0;
    return true;
}

void QueryReporter::Shutdown() {
    m_Socket.Close();
    Reset();
}

void QueryReporter::Reset() {
    m_GameName.clear();
    m_SecretKey.clear();
    m_Basic.Clear();
    m_MasterHost.clear();
    m_MasterAddress.reset();
    m_Lookup.Reset();
    m_MasterMissingSaid = false;
    m_HeartbeatDue = false;
    m_Answer.Reset();
    m_HeartbeatCountdown = 0;
    m_HostPort = 0;
    m_Flags = 0;
    m_Hook = nullptr;
    m_QueuedCount = 0;
    m_Limiter.Clear();
}

int QueryReporter::Process() {
    if (!m_Socket.IsOpen()) {
        return 0; // not reporting
    }
    CheckHeartbeat();
    const Deadline deadline = m_Clock.NowUs() + static_cast<uint64_t>(m_Options.m_QueryTimePerProcess.count());
    const size_t read = ReadQueryPort(deadline);
    return AnswerInTurn(read, deadline);
}

// Takes what waits on the query port, a batch at a time, until nothing more waits, the room is full or the
// time is up (the rest waits for the next step).
size_t QueryReporter::ReadQueryPort(Deadline deadline) {
    size_t read = 0;
    while (read < MAX_READ) {
        const int wanted = static_cast<int>(std::min(READ_BATCH, MAX_READ - read));
        const int taken =
            m_Socket.ReceiveBatch(m_ReadBuffer.data() + read * READ_ROOM, READ_ROOM, m_Read.data() + read, wanted);
        read += static_cast<size_t>(std::max(taken, 0));
        if (taken < wanted || m_Clock.NowUs() >= deadline) {
            break;
        }
    }
    return read;
}

// The queries of both roads, in turn: the game port's (queued as the engine handed them over) spread evenly
// among the query port's, which is the order they came in as far as a step can tell. Each costs the same
// time; what the time does not cover is dropped.
int QueryReporter::AnswerInTurn(size_t read, Deadline deadline) {
    const size_t queued = m_QueuedCount;
    const size_t total = read + queued;
    size_t fromGame = 0;
    size_t fromPort = 0;
    int answered = 0;
    for (size_t turn = 0; turn < total; ++turn) {
        if (turn > 0 && m_Clock.NowUs() >= deadline) {
            break; // at least one a step, however short the time
        }
        if (fromGame < queued && (fromPort == read || (fromGame + 1) * total <= (turn + 1) * queued)) {
            const QueuedQuery& query = m_Queued[fromGame++];
            answered += Answer(std::string_view(query.m_Data, query.m_Length), query.m_From, GameRoute()) ? 1 : 0;
            continue;
        }
        const UdpDatagram& datagram = m_Read[fromPort++];
        // Too long (more than a query may be), or one of the empty datagrams some clients send.
        if (datagram.m_Oversized || datagram.m_Length == 0 || datagram.m_Length > MAX_DATAGRAM) {
            m_Counters->CountDrop(QueryDrop::Size);
            continue;
        }
        // Answered from the port that was asked: clients take answers only from where they sent.
        answered +=
            Answer(std::string_view(datagram.m_Data, datagram.m_Length), datagram.m_From, m_SocketSender) ? 1 : 0;
    }
    // What the time did not cover was dropped for the budget everyone shares.
    m_Counters->CountDrops(QueryDrop::Budget, total - fromGame - fromPort);
    m_QueuedCount = 0;
    return answered;
}

bool QueryReporter::HandleExternalQuery(const NetPeer& from, const char* data, size_t length) {
    if (!m_Socket.IsOpen() || data == nullptr || length == 0) {
        return false; // not reporting, or nothing to read
    }
    // As on the query port, a datagram longer than a query may be is no query, whatever it holds.
    if (length > MAX_DATAGRAM) {
        m_Counters->CountDrop(QueryDrop::Size);
        return false;
    }
    if (m_QueuedCount == m_Queued.size()) {
        m_Counters->CountDrop(QueryDrop::Budget); // more than a step answers: the rest waits for none
        return false;
    }
    QueuedQuery& query = m_Queued[m_QueuedCount++];
    // GameSpy text ends at its first NUL; an A2S request holds NULs and is taken whole.
    const std::string_view whole(data, length);
    const std::string_view text = a2s::IsA2sDatagram(whole) ? whole : BoundedText(data, length);
    std::memcpy(query.m_Data, text.data(), text.size());
    query.m_Length = text.size();
    query.m_From = from;
    return true;
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
        if (!m_MasterAddress && IsHostName(m_MasterHost)) {
            m_Lookup.Start(m_MasterHost, now); // again, once a period, until it is found
        }
    }
    if (m_Advertised != nullptr && m_Advertised->Revision() != m_AdvertisedRevision) {
        m_AdvertisedRevision = m_Advertised->Revision();
        m_HeartbeatDue = true; // the master hears a port learnt late at once, not a period later
    }
    FollowMasterLookup(now);
    if (!m_HeartbeatDue || !m_MasterAddress) {
        return;
    }
    m_HeartbeatDue = false;
    m_Answer.BeginReply(GameRoute(), NetPeer{*m_MasterAddress, m_Options.m_MasterPort});
    m_Answer.AddKeyInt(HEARTBEAT_KEY,
                       (m_Flags & FLAG_HEARTBEAT_HOST_PORT) != 0 ? AdvertisedHostPort() : AdvertisedQueryPort());
    m_Answer.AddKeyValue(GAME_NAME_KEY, m_GameName);
    (void)m_Answer.FinishReply();
    m_Counters->CountHeartbeat();
}

int QueryReporter::AdvertisedHostPort() const {
    if (m_Advertised == nullptr || m_HostPort <= 0 || m_HostPort > UINT16_MAX) {
        return m_HostPort;
    }
    return m_Advertised->Game(static_cast<uint16_t>(m_HostPort));
}

int QueryReporter::AdvertisedQueryPort() const {
    return m_Advertised != nullptr ? m_Advertised->Query(m_Socket.Port()) : m_Socket.Port();
}

void QueryReporter::FollowMasterLookup(uint32_t nowMs) {
    if (m_MasterAddress) {
        return;
    }
    uint32_t address = 0;
    switch (m_Lookup.Poll(nowMs, address)) {
    case MasterLookup::State::Found: {
        m_MasterAddress = address;
        if (std::exchange(m_MasterMissingSaid, false)) {
            char text[ADDRESS_TEXT_SIZE];
            FormatAddress(address, text, sizeof text);
            Say("GameSpy master server " + m_MasterHost + " found at " + text + "; heartbeats begin.");
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

// A datagram from this host (loopback, "this host" 0.0.0.0, or its own address) to one of the server's
// ports is one of ours sent back by a spoofed query: never answered, so nothing can bounce for ever.
bool QueryReporter::IsOwnSender(const NetPeer& from) const {
    const bool ourPort = from.m_Port == m_Socket.Port() || (m_HostPort != 0 && from.m_Port == m_HostPort);
    const bool ourHost = (from.m_Address & LOOPBACK_MASK) == LOOPBACK_NETWORK || from.m_Address == 0 ||
                         (m_OwnAddress != 0 && from.m_Address == m_OwnAddress);
    return ourPort && ourHost;
}

} // namespace dravo
