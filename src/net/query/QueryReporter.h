// QueryReporter: GameSpy query-and-reporting for the hosted game.
//
// Contract. The session owns one reporter. When hosting starts, the window
// thread calls SetOptions, Initialize and SetSendHook; while the game runs the
// worker thread calls Process once per update step, and the game-port road calls
// HandleExternalQuery, which queues the query for the next Process; those two
// and Shutdown run under UpdateLock, never at the same time. Process sends a
// heartbeat to the master server every 60000 ms of accumulated time, the first
// as soon as the master's address is known: its name is looked up on a thread of
// its own (MasterLookup), never on the game's, and again each period while it
// is not found. Process then answers the queries of both roads, those waiting on
// the query-port socket and those queued from the game port, in turn, within
// one bounded time (about 1 ms of its clock) and one set of allowances, so that a flood on
// either port never costs the game its cadence nor takes the other's turn; what
// the allowances refuse is dropped for the cost of a table look-up, and what
// the time does not cover is dropped. Each query key is answered at most once per
// datagram, and a datagram that is itself an answer (it carries "final" or
// "queryid") or comes from one of the server's own ports is never answered.
// A datagram that begins with FF FF FF FF is an A2S request (QueryA2s.cpp),
// answered within the same allowances, budgets and time.
// What an answer says about the game comes from the three report hooks of a
// derived class, which keep their pairs ready and rebuild them only when what
// they say has changed. A sender's address stays a value (NetPeer) from the
// receive to the send. Heartbeats and answers to game-port queries leave through
// the send hook when one is installed (not owned), else through the query-port
// socket; answers to query-port queries always leave from the query port, since
// clients take answers only from the port they asked.
#pragma once

#include "net/AdvertisedPorts.h"
#include "net/PresenceCounters.h"
#include "net/query/A2sChallenge.h"
#include "net/query/A2sPacket.h"
#include "net/query/AnswerBuilder.h"
#include "net/query/AnswerPairs.h"
#include "net/query/AnswerRateLimiter.h"
#include "net/query/MasterLookup.h"
#include "net/query/QueryTokenizer.h"
#include "net/query/SendHook.h"
#include "net/query/SipHash.h"
#include "platform/net/UdpSocket.h"
#include "platform/os/Clock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

constexpr uint16_t MASTER_PORT = 27900;
constexpr uint32_t HEARTBEAT_PERIOD_MS = 60000;
// A host name with one "%i" that the master index replaces. The built-in name lies in a
// domain reserved for examples, so nothing leaves this host unless an operator names a master.
inline constexpr const char* DEFAULT_MASTER_HOST_PATTERN = "master%i.dravoserv.example";

// Where the master server is and how answers are limited; set before Initialize.
struct QueryReporterOptions {
    std::string m_MasterHostPattern = DEFAULT_MASTER_HOST_PATTERN;
    uint16_t m_MasterPort = MASTER_PORT;
    AnswerRateLimits m_Limits;
    // How long one Process may spend on the queries of both ports (at least one is always answered).
    std::chrono::microseconds m_QueryTimePerProcess{1000};
    // The secret of the address table's hash: drawn when the options are made.
    SipHashKey m_AddressKey = NewSipHashKey();
    // A2S answers on both ports beside the GameSpy ones, and whether A2S_INFO needs the challenge too.
    bool m_A2s = true;
    bool m_A2sInfoChallenge = true;
};

class QueryReporter {
public:
    // The longest query answered, on either port; a longer datagram is dropped, whatever it holds.
    static constexpr size_t MAX_DATAGRAM = 500;
    // Game-port queries waiting for the next Process: the engine hands over at most this many a frame.
    static constexpr size_t MAX_QUEUED = 256;
    // Query-port datagrams one Process takes at most (far above a step's worth at 20,000 a second).
    static constexpr size_t MAX_READ = 512;
    // Datagrams the system keeps waiting between two steps: a step's worth of a heavy flood.
    static constexpr size_t RECEIVE_BUFFER_BYTES = size_t{1024} * 1024;
    // Flags bit: the heartbeat names the host (game) port instead of the query port.
    static constexpr uint32_t FLAG_HEARTBEAT_HOST_PORT = 1;

    using Logger = std::function<void(std::string_view line)>;

    // Master lookups run on `pool`, which outlives the reporter.
    QueryReporter(IClock& clock, BlockingPool& pool, MasterLookup::Resolve resolve = {});
    virtual ~QueryReporter() = default;
    QueryReporter(const QueryReporter&) = delete;
    QueryReporter& operator=(const QueryReporter&) = delete;

    void SetOptions(const QueryReporterOptions& options);
    // Opens the query port (0 takes a free one). False when a text is missing or the port cannot be had.
    [[nodiscard]] bool Initialize(const char* gameName, const char* gameVersion, const char* secretKey, int masterIndex,
                                  int hostPort, int queryPort, uint32_t flags);
    void Shutdown();
    void Reset();
    // Heartbeat check, then the waiting queries; returns the number answered.
    int Process();
    // A query that arrived on the game port from `from`, queued for the next Process; `data` is read up to
    // its first NUL or `length` bytes. False when it is dropped at once: not reporting, empty, longer than
    // MAX_DATAGRAM, or the queue full.
    bool HandleExternalQuery(const NetPeer& from, const char* data, size_t length);
    void SetSendHook(SendHook* hook) { m_Hook = hook; }
    // Where the reporter says what it cannot do (the master not found); nothing by default.
    void SetLogger(Logger logger) { m_Logger = std::move(logger); }
    // The host's own address: datagrams from it to a port of the server are never answered.
    void SetOwnAddress(uint32_t address) { m_OwnAddress = address; }
    // Where answers, drops and heartbeats are counted (not owned); the reporter's own until then.
    void SetCounters(PresenceCounters* counters) { m_Counters = counters != nullptr ? counters : &m_OwnCounters; }

    // The ports named to players and the master when a NAT maps others onto the bound ones (not owned; it
    // outlives the reporter); without them, the bound ports are named.
    void SetAdvertisedPorts(const AdvertisedPorts* ports) { m_Advertised = ports; }

    // The query port while reporting, else 0.
    uint16_t QueryPort() const { return m_Socket.Port(); }
    int HostPort() const { return m_HostPort; }
    // The game port and query port as named in answers and heartbeats.
    int AdvertisedHostPort() const;
    int AdvertisedQueryPort() const;

protected:
    // The pairs of each part as they stand now, kept ready by the derived class.
    virtual const AnswerPairs& ReportInfo() = 0;
    virtual const AnswerPairs& ReportRules() = 0;
    virtual const AnswerPairs& ReportPlayers() = 0;
    // The whole A2S answers (see A2sPacket.h) as they stand now, kept ready by the derived class; the
    // players' times connected are counted up to `nowMs`.
    virtual std::string_view A2sInfo() = 0;
    virtual std::string_view A2sRules() = 0;
    virtual std::string_view A2sPlayers(uint32_t nowMs) = 0;

private:
    // Sends through the query-port socket.
    class SocketSender final : public SendHook {
    public:
        explicit SocketSender(UdpSocket& socket) : m_Socket(socket) {}
        bool SendDatagram(const char* data, size_t length, const NetPeer& to) override {
            return m_Socket.IsOpen() && m_Socket.SendTo(data, length, to);
        }

    private:
        UdpSocket& m_Socket;
    };

    // A game-port query waiting for its turn.
    struct QueuedQuery {
        NetPeer m_From;
        size_t m_Length = 0;
        char m_Data[MAX_DATAGRAM] = {};
    };
    using Deadline = uint64_t; // microseconds of the clock
    static constexpr size_t READ_BATCH = 64;
    static constexpr size_t READ_ROOM = MAX_DATAGRAM + 1; // one more, to tell a longer datagram

    // Which parts an answer holds already: a key asked for again adds nothing.
    enum AnswerPart : uint32_t {
        PartEcho = 1,
        PartSecure = 2,
        PartBasic = 4,
        PartInfo = 8,
        PartRules = 16,
        PartPlayers = 32,
    };

    void CheckHeartbeat();
    size_t ReadQueryPort(Deadline deadline);
    int AnswerInTurn(size_t read, Deadline deadline);
    void FollowMasterLookup(uint32_t nowMs);
    void Say(const std::string& line) const;
    // Heartbeats and game-port answers: the hook when there is one.
    SendHook& GameRoute() { return m_Hook != nullptr ? *m_Hook : m_SocketSender; }
    bool IsOwnSender(const NetPeer& from) const;
    static bool IsAnAnswer(QueryTokenizer& tokens, std::string_view data);
    bool Claim(AnswerPart part);
    // A datagram of either protocol.
    bool Answer(std::string_view data, const NetPeer& from, SendHook& route);
    bool HandleQuery(std::string_view data, const NetPeer& from, SendHook& route);
    bool HandleA2s(std::string_view data, const NetPeer& from, SendHook& route);
    bool SendA2sChallenge(const NetPeer& from, SendHook& route, uint32_t nowMs);
    bool AnswerA2s(a2s::RequestKind kind, const NetPeer& from, SendHook& route, uint32_t nowMs);
    void AnswerEcho();
    void AnswerSecure();
    void AnswerBasic();
    void AnswerInfo();
    void AnswerRules();
    void AnswerPlayers();
    void AnswerStatus();

    IClock& m_Clock;
    QueryReporterOptions m_Options;
    std::string m_SecretKey;
    std::string m_GameName;
    AnswerPairs m_Basic; // game name, version and location: fixed from Initialize on
    std::string m_MasterHost;
    std::optional<uint32_t> m_MasterAddress; // once known
    MasterLookup m_Lookup;
    bool m_MasterMissingSaid = false; // "not found" was logged and not yet followed by "found"
    bool m_HeartbeatDue = false;      // waits for the master's address
    uint32_t m_HeartbeatCountdown = 0;
    uint32_t m_LastHeartbeatCheck = 0; // survives Shutdown
    UdpSocket m_Socket;
    SocketSender m_SocketSender{m_Socket};
    SendHook* m_Hook = nullptr;
    int m_HostPort = 0;
    uint32_t m_Flags = 0;
    const AdvertisedPorts* m_Advertised = nullptr;
    uint32_t m_AdvertisedRevision = 0; // as the last heartbeat named them

    AnswerBuilder m_Answer;
    QueryTokenizer m_Tokens;
    AnswerRateLimiter m_Limiter{m_Options.m_AddressKey};
    A2sChallenge m_A2sChallenge; // a key of its own, drawn at each Initialize
    // Fixed storage for the queries of one Process.
    std::vector<QueuedQuery> m_Queued = std::vector<QueuedQuery>(MAX_QUEUED);
    size_t m_QueuedCount = 0;
    std::vector<char> m_ReadBuffer = std::vector<char>(MAX_READ * READ_ROOM);
    std::vector<UdpDatagram> m_Read = std::vector<UdpDatagram>(MAX_READ);
    bool m_PlayersAllowed = true; // for the answer being built
    uint32_t m_Parts = 0;         // what the answer being built holds
    uint32_t m_OwnAddress = 0;
    Logger m_Logger;
    PresenceCounters m_OwnCounters;
    PresenceCounters* m_Counters = &m_OwnCounters;

    struct QueryKey {
        std::string_view m_Token;
        void (QueryReporter::*m_Answer)();
    };
    static const QueryKey QUERY_KEYS[];
};

} // namespace dravo
