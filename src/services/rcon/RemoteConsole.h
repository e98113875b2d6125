// RemoteConsole: the server's console over the Source RCON protocol (TCP).
//
// Contract. The program starts it on the window thread once hosting has started, when a password is
// set, and stops it there after the console window has closed. Its TcpServer thread does all the
// network work. A logged-in client's command goes to the command service, which runs it on the window
// thread as it runs every console's lines; the answer is the lines that this one command logged, cut at
// RconMaxOutput bytes and split into packets of at most 4096 bytes of text, sent as soon as it has run. A client that
// sends an empty answer packet after a command gets it back after the answer, so that it can find the answer's end.
// Each connection's packets are handled one at a time, in order; nothing here ever takes UpdateLock.
#pragma once

#include "host/commands/CommandService.h"
#include "host/console/ConsoleLog.h"
#include "host/state/SessionCounters.h"
#include "platform/os/Clock.h"
#include "services/TcpServer.h"
#include "services/rcon/LineBudget.h"
#include "services/rcon/LoginGuard.h"
#include "services/rcon/RconOptions.h"
#include "services/rcon/RconPacket.h"

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
constexpr size_t MAX_REMOTE_COMMAND_CHARS = CommandService::MAX_LINE_CHARS;

struct RemoteConsoleParts {
    CommandService& m_Commands;  // where the commands go
    ConsoleLog& m_Log;           // where its own lines go
    SessionCounters& m_Counters; // logins and commands
    IClock& m_Clock;             // deadlines and lockouts
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
    // A "remote.login" event; only a good login is also a line of the plain log.
    void LoginEvent(const std::string& address, std::string_view result, std::string message);

    // What the window thread and this thread share about one command; it outlives either side.
    struct Pending {
        int32_t m_RequestId = 0;
        CommandResult m_Result;              // written before m_Finished is set
        std::atomic<bool> m_Finished{false}; // m_Result may be read once this is seen set
        uint64_t m_SubmittedMs = 0;          // this thread only
    };
    // What outlives the console, for work the window thread may still hold.
    struct Shared {
        std::mutex m_Mutex;
        TcpServer* m_Server = nullptr; // guarded by m_Mutex; cleared when stopping
        void Wake();
    };
    struct Client {
        NetPeer m_Peer;
        std::string m_Address;
        RconPacketReader m_Reader;
        bool m_LoggedIn = false;
        bool m_Closing = false; // nothing more of it is handled
        std::shared_ptr<Pending> m_Pending;
    };

    // ITcpHandler, on the server's thread.
    bool OnOpen(TcpConnectionId id, const NetPeer& peer) override;
    void OnData(TcpConnectionId id, std::span<const char> data) override;
    void OnClosed(TcpConnectionId id, TcpCloseReason reason) override;
    void OnRefused(const NetPeer& peer, TcpRefuseReason reason) override;
    void OnWake() override;
    std::optional<int64_t> NextTimerMs() override;
    void OnStop() override;

    void HandlePackets(TcpConnectionId id, Client& client);
    void HandleLogin(TcpConnectionId id, Client& client, const RconPacket& packet);
    void RefuseLogin(TcpConnectionId id, Client& client, std::string_view result);
    // A line about a failed login, within the budget of such lines; the rest are summarised.
    void FailureLine(std::string_view result, const char* format, const std::string& address, uint64_t lockoutMs);
    void HandleCommand(TcpConnectionId id, Client& client, const RconPacket& packet);
    void Submit(TcpConnectionId id, Client& client, int32_t requestId, const std::string& line);
    void Reply(TcpConnectionId id, Client& client);
    // Sends the answers of the commands that have run by now.
    void ReplyToFinished();
    void SendText(TcpConnectionId id, int32_t requestId, std::string_view text);
    // Milliseconds on the clock, widened so that they never wrap; this thread only.
    uint64_t NowMs();
    void CloseClient(TcpConnectionId id, Client& client, bool afterSending);

    RemoteConsoleParts m_Parts;
    RconOptions m_Options;
    std::shared_ptr<Shared> m_Shared = std::make_shared<Shared>();
    TcpServer m_Server;
    // The server's thread only.
    std::map<TcpConnectionId, Client> m_Clients;
    LoginGuard m_Guard;
    LineBudget m_FailureLines;
    bool m_RefusingSaid = false;
    bool m_DisplacingSaid = false;
    bool m_OutOfDescriptorsSaid = false;
    uint32_t m_LastClockMs = 0;
    uint64_t m_ElapsedMs = 1; // never 0: the guard takes 0 for "never seen"
};

} // namespace dravo
