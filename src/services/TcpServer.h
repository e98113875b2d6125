// TcpServer: one TCP listener and its connections, served by a poll loop on a thread of its own.
//
// Contract. The owner opens the listener and starts the server; the server's thread then accepts,
// reads and writes, and hands everything to the handler on that same thread. The handler answers
// through Send, Close, SetDeadline and SetReading, on that thread only. Other threads may only Wake
// the loop, after which the handler's OnWake runs there (a result waiting for a connection, say).
// Every connection is bounded: in number overall and per address, in bytes waiting to be sent, and in
// time (the handler's deadline). A connection is pending until the handler calls SetEstablished (a login,
// a whole request): when a limit is reached, the oldest pending connection makes room for the new one, so
// that idle connections cannot keep a client with something to say out. When the system has no descriptor
// for a new connection, accepting pauses a moment rather than spinning. Stop sends what is queued, within a
// bound, then ends the thread and closes everything; the owner calls it once.
#pragma once

#include "platform/net/TcpListener.h"
#include "platform/os/Clock.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace dravo {

struct TcpServerLimits {
    size_t m_MaxConnections = 16;                    // connections at once; more are closed as they come
    size_t m_MaxPerAddress = 4;                      // connections at once from one address
    size_t m_MaxOutputBytes = size_t{512} * 1024;    // waiting to be sent to one connection; more closes it
    std::chrono::milliseconds m_FirstDeadline{5000}; // a new connection's deadline, until the handler sets one
};

// Displaced: a pending connection closed to make room for a new one.
enum class TcpCloseReason { Peer, Failed, Deadline, Handler, Output, Stopping, Displaced };
// OutOfDescriptors: the system had no descriptor for a new connection; accepting pauses a moment (the
// peer is empty).
enum class TcpRefuseReason { TooMany, TooManyFromAddress, Handler, OutOfDescriptors };

using TcpConnectionId = uint64_t;

class ITcpHandler {
public:
    virtual ~ITcpHandler() = default;
    // A new connection; false refuses it (it is closed at once, and OnRefused follows).
    virtual bool OnOpen(TcpConnectionId id, const NetPeer& peer) = 0;
    // Bytes that arrived, in order.
    virtual void OnData(TcpConnectionId id, std::span<const char> data) = 0;
    // Everything sent so far has reached the system (after a Send that had to wait).
    virtual void OnSent(TcpConnectionId /*id*/) {}
    // The connection is gone; its id is never used again.
    virtual void OnClosed(TcpConnectionId id, TcpCloseReason reason) = 0;
    // A connection turned away before OnOpen (the limits) or by OnOpen.
    virtual void OnRefused(const NetPeer& /*peer*/, TcpRefuseReason /*reason*/) {}
    // The loop was woken by Wake, or the handler's own timer (NextTimerMs) came.
    virtual void OnWake() = 0;
    // Milliseconds until the handler wants OnWake by time alone; nothing for none.
    virtual std::optional<int64_t> NextTimerMs() { return std::nullopt; }
    // The server is stopping: the last chance to Send (answers that are ready); what is queued then goes
    // out within a short bound before every connection closes.
    virtual void OnStop() {}
};

class TcpServer {
public:
    // Deadlines are kept on `clock`, which outlives the server.
    TcpServer(ITcpHandler& handler, const TcpServerLimits& limits, IClock& clock)
        : m_Handler(handler), m_Limits(limits), m_Clock(clock) {}
    ~TcpServer() { Stop(); }
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Takes the listener and starts the thread; false when the wake-up descriptor cannot be had.
    [[nodiscard]] bool Start(TcpListener listener);
    // Ends the thread; every connection is closed (OnClosed with Stopping). Not from the loop itself.
    void Stop();
    uint16_t Port() const { return m_Port; }

    // Any thread: the handler's OnWake runs soon on the server's thread. Never blocks.
    void Wake();

    // The server's thread only.
    // Queues bytes; false (and the connection closes) when more would wait than the limit allows.
    bool Send(TcpConnectionId id, std::string_view bytes);
    // Ends the connection, at once or once everything queued is sent.
    void Close(TcpConnectionId id, bool afterSending);
    // The connection closes when this time passes (from now), unless set again.
    void SetDeadline(TcpConnectionId id, std::chrono::milliseconds fromNow);
    // The connection has given what the handler waited for; it no longer makes room for new ones.
    void SetEstablished(TcpConnectionId id);
    // Whether the connection's bytes are read; a paused one keeps its deadline.
    void SetReading(TcpConnectionId id, bool reading);
    size_t ConnectionCount() const { return m_Connections.size(); }

private:
    struct Connection {
        TcpStream m_Stream;
        NetPeer m_Peer;
        std::string m_Output;
        uint32_t m_DeadlineMs = 0; // on the clock; compared as a wrapping difference
        bool m_Reading = true;
        bool m_Established = false;
        bool m_CloseWhenSent = false;
        bool m_Closing = false; // ends at the end of this pass
        TcpCloseReason m_Reason = TcpCloseReason::Handler;
    };

    void Run();
    int WaitMs(uint32_t nowMs);
    void AcceptWaiting();
    void Open(const NetPeer& peer, TcpStream stream);
    bool MakeRoom(std::optional<uint32_t> address);
    void FlushBeforeStop();
    void Serve(TcpConnectionId id, Connection& connection, const PollEntry& entry);
    void ReadFrom(TcpConnectionId id, Connection& connection);
    void Flush(TcpConnectionId id, Connection& connection);
    void Reap(uint32_t nowMs);
    void ReapOne(TcpConnectionId id);
    void MarkClosed(Connection& connection, TcpCloseReason reason);
    Connection* Find(TcpConnectionId id);

    ITcpHandler& m_Handler;
    TcpServerLimits m_Limits;
    IClock& m_Clock;
    TcpListener m_Listener;
    uint16_t m_Port = 0;
    SocketHandle m_Wakeup = NO_SOCKET;
    std::atomic<bool> m_WakePending{false};
    std::atomic<bool> m_Running{false};
    std::thread m_Thread;
    // The server's thread only.
    std::map<TcpConnectionId, Connection> m_Connections;
    std::unordered_map<uint32_t, size_t> m_PerAddress;
    TcpConnectionId m_NextId = 1;
    bool m_AcceptPaused = false;
    uint32_t m_AcceptPausedUntilMs = 0;
};

} // namespace dravo
