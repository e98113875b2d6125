// QueryReporter: GameSpy query-and-reporting for the hosted game.
//
// Contract. The session owns one reporter. When hosting starts, the window
// thread calls SetOptions, Initialize and SetSendHook; while the game runs the
// worker thread calls Process once per update step, and the game-port road calls
// HandleExternalQuery; those two and Shutdown run under UpdateLock, never at
// the same time. Process sends a heartbeat to the master server every 60000 ms
// of accumulated time (the first at once; the master's name is looked up once, by
// Initialize) and answers at most
// MAX_DATAGRAMS_PER_PROCESS datagrams waiting on the query-port socket; the rest
// wait for the next step, so a flood never costs the game its cadence. What an
// answer says about the game comes from the three report hooks, which a derived
// class fills with AddKeyValue / AddKeyInt. Heartbeats and answers to game-port
// queries leave through the send hook when one is installed (not owned), else
// through the query-port socket; answers to query-port queries always leave from
// the query port, since clients take answers only from the port they asked.
#pragma once

#include "net/AnswerBuilder.h"
#include "net/AnswerRateLimiter.h"
#include "net/QueryTokenizer.h"
#include "net/SendHook.h"
#include "platform/Clock.h"
#include "platform/UdpSocket.h"

#include <cstdint>
#include <string>
#include <string_view>

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
};

class QueryReporter {
public:
    static constexpr size_t MAX_DATAGRAM = 500;
    static constexpr int MAX_DATAGRAMS_PER_PROCESS = 64;
    // Flags bit: the heartbeat names the host (game) port instead of the query port.
    static constexpr uint32_t FLAG_HEARTBEAT_HOST_PORT = 1;

    explicit QueryReporter(IClock& clock);
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

    bool IsInitialized() const { return m_Socket.IsOpen(); }
    uint16_t QueryPort() const { return m_Socket.Port(); }
    const UdpSocket& Socket() const { return m_Socket; }
    int HostPort() const { return m_HostPort; }
    const std::string& MasterHost() const { return m_MasterHost; }
    const std::string& MasterAddress() const { return m_MasterAddress; }
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

    private:
        QueryReporter& m_Owner;
    };

    void CheckHeartbeat();
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
    std::string m_MasterAddress; // dotted, looked up by Initialize
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

    struct QueryKey {
        std::string_view m_Token;
        void (QueryReporter::*m_Answer)();
    };
    static const QueryKey QUERY_KEYS[];
};

} // namespace dravo
