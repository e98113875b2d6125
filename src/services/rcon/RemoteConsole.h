// RemoteConsole: the server's console over the Source RCON protocol (TCP).
//
// Contract. The program starts it on the window thread once hosting has started, when a password is
// set, and stops it there after the console window has closed. Its TcpServer thread does all the
// network work. A logged-in client's command goes to the console window's input (IConsoleInput) and
// runs on the window thread exactly as if typed there; the answer is the console lines logged from the
// moment it runs until RconReplyWait after it ended (ReplyCollector), cut at RconMaxOutput bytes and
// split into packets of at most 4096 bytes of text. A client that sends an empty answer packet after
// a command gets it back after the answer, so that it can find the answer's end. Each connection's
// packets are handled one at a time, in order; nothing here ever takes UpdateLock.
#pragma once

#include "host/console/ConsoleInput.h"
#include "host/console/ConsoleLog.h"
#include "host/state/SessionCounters.h"
#include "services/TcpServer.h"
#include "services/rcon/LoginGuard.h"
#include "services/rcon/RconOptions.h"
#include "services/rcon/RconPacket.h"
#include "services/rcon/ReplyCollector.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace dravo {

// The longest command the console window's input takes.
constexpr size_t MAX_REMOTE_COMMAND_CHARS = 119;

struct RemoteConsoleParts {
    IConsoleInput& m_Input;
    ConsoleLog& m_Log;           // where its own lines go; the lines commands produce are collected from it
    SessionCounters& m_Counters; // logins and commands
};

class RemoteConsole final : private ITcpHandler {
public:
    RemoteConsole(RemoteConsoleParts parts, const RconOptions& options);
    ~RemoteConsole() override;
    RemoteConsole(const RemoteConsole&) = delete;
    RemoteConsole& operator=(const RemoteConsole&) = delete;

    // Listens and starts the thread; false (and a line in the console log says why) when it cannot.
    [[nodiscard]] bool Start();
    void Stop();
    uint16_t Port() const { return m_Server.Port(); }

private:
    using Clock = std::chrono::steady_clock;

    // What the window thread and this thread share about one command; it outlives either side.
    struct Pending {
        int32_t m_RequestId = 0;
        std::shared_ptr<ReplyCollector::Capture> m_Capture;
        std::atomic<bool> m_Finished{false};
        std::atomic<ConsoleLineResult> m_Result{ConsoleLineResult::Ran};
        Clock::time_point m_Submitted;           // this thread only
        std::optional<Clock::time_point> m_Seen; // when this thread saw it finished
    };
    // What outlives the console, for work the window thread may still hold.
    struct Shared {
        ReplyCollector m_Collector;
        std::mutex m_Mutex;
        TcpServer* m_Server = nullptr; // guarded by m_Mutex; cleared when stopping
        void Wake();
    };
    struct Client {
        TcpPeer m_Peer;
        std::string m_Address;
        RconPacketReader m_Reader;
        bool m_LoggedIn = false;
        bool m_Closing = false; // nothing more of it is handled
        std::shared_ptr<Pending> m_Pending;
    };

    // ITcpHandler, on the server's thread.
    bool OnOpen(TcpConnectionId id, const TcpPeer& peer) override;
    void OnData(TcpConnectionId id, std::span<const char> data) override;
    void OnClosed(TcpConnectionId id, TcpCloseReason reason) override;
    void OnRefused(const TcpPeer& peer, TcpRefuseReason reason) override;
    void OnWake() override;
    std::optional<int64_t> NextTimerMs() override;

    void HandlePackets(TcpConnectionId id, Client& client);
    void HandleLogin(TcpConnectionId id, Client& client, const RconPacket& packet);
    void HandleCommand(TcpConnectionId id, Client& client, const RconPacket& packet);
    void Submit(TcpConnectionId id, Client& client, int32_t requestId, const std::string& line);
    void Reply(TcpConnectionId id, Client& client);
    void SendText(TcpConnectionId id, int32_t requestId, std::string_view text);
    uint64_t NowMs() const;
    void CloseClient(TcpConnectionId id, Client& client, bool afterSending);

    RemoteConsoleParts m_Parts;
    RconOptions m_Options;
    std::shared_ptr<Shared> m_Shared = std::make_shared<Shared>();
    TcpServer m_Server;
    bool m_Attached = false;
    // The server's thread only.
    std::map<TcpConnectionId, Client> m_Clients;
    LoginGuard m_Guard;
    bool m_RefusingSaid = false;
};

} // namespace dravo
