// QueryReporter: GameSpy query-and-reporting for the hosted game.
//
// Contract. The session owns one reporter. When hosting starts, the window
// thread calls SetOptions, Initialize and SetSendHook; while the game runs the
// worker thread calls Process once per update step, and the game-port road calls
// HandleExternalQuery; those two and Shutdown run under UpdateLock, never at
// the same time. Process sends a heartbeat to the master server every 60000 ms
// of accumulated time, the first as soon as the master's address is known: its
// name is looked up on a thread of its own (MasterLookup), never on the game's,
// and again each period while it is not found. Process then reads the datagrams
// waiting on the query-port socket for a bounded time (about 1 ms), so that a
// flood never costs the game its cadence; what the allowances refuse is dropped
// for the cost of a table look-up. Each query key is answered at most once per
// datagram, and a datagram that is itself an answer (it carries "final" or
// "queryid") or comes from one of the server's own ports is never answered.
// What an answer says about the game comes from the three report hooks, which a
// derived class fills with AddKeyValue / AddKeyInt. Heartbeats and answers to
// game-port queries leave through the send hook when one is installed (not
// owned), else through the query-port socket; answers to query-port queries
// always leave from the query port, since clients take answers only from the
// port they asked.
#pragma once

#include "net/AnswerBuilder.h"
#include "net/AnswerRateLimiter.h"
#include "net/MasterLookup.h"
#include "net/PresenceCounters.h"
#include "net/QueryTokenizer.h"
#include "net/SendHook.h"
#include "platform/Clock.h"
#include "platform/UdpSocket.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

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
    // How long one Process may read waiting queries; the rest waits for the next step.
    std::chrono::microseconds m_ReadTimePerProcess{1000};
};

class QueryReporter {
public:
    // The longest query answered, on either port; a longer one is dropped.
    static constexpr size_t MAX_DATAGRAM = 500;
    // Datagrams the system keeps waiting between two steps: a step's worth of a heavy flood.
    static constexpr size_t RECEIVE_BUFFER_BYTES = size_t{1024} * 1024;
    // Flags bit: the heartbeat names the host (game) port instead of the query port.
    static constexpr uint32_t FLAG_HEARTBEAT_HOST_PORT = 1;

    using Logger = std::function<void(std::string_view line)>;

    explicit QueryReporter(IClock& clock, MasterLookup::Resolve resolve = {});
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
    // A query that arrived on the game port; `data` is read up to its first NUL or `length` bytes.
    bool HandleExternalQuery(const char* address, int port, const char* data, int length);
    void SetSendHook(SendHook* hook) { m_Hook = hook; }
    // Where the reporter says what it cannot do (the master not found); nothing by default.
    void SetLogger(Logger logger) { m_Logger = std::move(logger); }
    // The host's own address: datagrams from it to a port of the server are never answered.
    void SetOwnAddress(uint32_t address) { m_OwnAddress = address; }
    // Where answers, drops and heartbeats are counted (not owned); the reporter's own until then.
    void SetCounters(PresenceCounters* counters) { m_Counters = counters != nullptr ? counters : &m_OwnCounters; }

    bool IsInitialized() const { return m_Socket.IsOpen(); }
    uint16_t QueryPort() const { return m_Socket.Port(); }
    const UdpSocket& Socket() const { return m_Socket; }
    int HostPort() const { return m_HostPort; }
    const std::string& MasterHost() const { return m_MasterHost; }
    const std::string& MasterAddress() const { return m_MasterAddress; }
    // Bytes of answers sent so far (not heartbeats).
    uint64_t AnswerBytes() const { return m_AnswerBytes; }
    uint32_t NextQueryId() const { return m_Answer.QueryId(); }

protected:
    // Append one pair to the answer being built.
    void AddKeyValue(std::string_view key, std::string_view value) { m_Answer.AddKeyValue(key, value); }
    void AddKeyInt(std::string_view key, int32_t value) { m_Answer.AddKeyInt(key, value); }

    virtual bool ReportInfo() = 0;
    virtual bool ReportRules() = 0;
    virtual bool ReportPlayers() = 0;

private:
    // Routes datagrams to the send hook, or to the query-port socket without one.
    class Router final : public SendHook {
    public:
        explicit Router(QueryReporter& owner) : m_Owner(owner) {}
        bool SendDatagram(const char* data, size_t length, const char* address, int port) override;
        // Bytes routed since the last call.
        size_t TakeBytes() { return std::exchange(m_Bytes, 0); }

    private:
        QueryReporter& m_Owner;
        size_t m_Bytes = 0;
    };

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
    void FollowMasterLookup(uint32_t nowMs);
    void Say(const std::string& line) const;
    bool IsOwnSender(uint32_t address, int port) const;
    static bool IsAnAnswer(QueryTokenizer& tokens, std::string_view data);
    bool Claim(AnswerPart part);
    bool HandleQuery(std::string_view data, const char* address, int port);
    void AnswerEcho();
    void AnswerSecure();
    void AnswerBasic();
    void AnswerInfo();
    void AnswerRules();
    void AnswerPlayers();
    void AnswerStatus();

    IClock& m_Clock;
    QueryReporterOptions m_Options;
    std::string m_GameName;
    std::string m_GameVersion;
    std::string m_SecretKey;
    std::string m_Location;
    std::string m_MasterHost;
    std::string m_MasterAddress; // dotted, once the lookup found it
    MasterLookup m_Lookup;
    bool m_MasterMissingSaid = false; // "not found" was logged and not yet followed by "found"
    bool m_HeartbeatDue = false;      // waits for the master's address
    uint32_t m_HeartbeatCountdown = 0;
    uint32_t m_LastHeartbeatCheck = 0; // survives Shutdown
    UdpSocket m_Socket;
    SendHook* m_Hook = nullptr;
    int m_HostPort = 0;
    uint32_t m_Flags = 0;

    Router m_Router{*this};
    AnswerBuilder m_Answer{m_Router};
    QueryTokenizer m_Tokens;
    AnswerRateLimiter m_Limiter;
    bool m_PlayersAllowed = true;    // for the answer being built
    bool m_AnswerFromSocket = false; // the answer being built is to a query of the query port
    uint32_t m_Parts = 0;            // what the answer being built holds
    uint32_t m_OwnAddress = 0;
    uint64_t m_AnswerBytes = 0;
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
