// The remote console: logins, commands and their answers.
#include "services/rcon/RemoteConsole.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr std::string_view SHUTDOWN_LINE = "/shutdown";
constexpr const char* SHUTDOWN_ANSWER = "Shutting the server down.\n";
constexpr const char* UNKNOWN_ACTION_ANSWER =
    "Unknown action. The remote console knows /players, /status, /boot <name>, /nextlevel, /shutdown and /help; "
    "begin a console command with // to send one that starts with /.\n";
constexpr const char* WINDOW_GONE_ANSWER = "The server is shutting down; the command was not run.\n";
constexpr const char* STOPPED_ANSWER = "The server stopped before the command had run; it may not have run.\n";
// Lines about failed logins: at most this many in a period, then one summary with the count left out.
constexpr uint32_t FAILURE_LINES = 5;
constexpr uint64_t FAILURE_LINES_PERIOD_MS = 10000;
// Time the answer may take beyond the command's own wait, before the connection counts as stuck.
constexpr std::chrono::milliseconds ANSWER_MARGIN{5000};

// Compares every byte whatever the first difference, so that the time taken tells nothing.
bool SameSecret(std::string_view given, std::string_view secret) {
    unsigned char difference = given.size() == secret.size() ? 0 : 1;
    for (size_t i = 0; i < given.size(); ++i) {
        difference |= static_cast<unsigned char>(given[i] ^ secret[i % std::max<size_t>(secret.size(), 1)]);
    }
    return difference == 0 && !secret.empty();
}

int64_t LeftMs(uint64_t dueMs, uint64_t nowMs) {
    return dueMs > nowMs ? static_cast<int64_t>(dueMs - nowMs) : 0;
}

} // namespace

void RemoteConsole::Shared::Wake() {
    std::scoped_lock lock(m_Mutex);
    if (m_Server != nullptr) {
        m_Server->Wake();
    }
}

RemoteConsole::RemoteConsole(RemoteConsoleParts parts, const RconOptions& options)
    : m_Parts(parts), m_Options(options),
      m_Server(
          *this,
          [&options] {
              TcpServerLimits limits = options.m_Limits;
              limits.m_MaxOutputBytes = std::max(limits.m_MaxOutputBytes, 2 * options.m_MaxOutput);
              return limits;
          }(),
          parts.m_Clock),
      m_Guard(options.m_Guard), m_FailureLines(FAILURE_LINES, FAILURE_LINES_PERIOD_MS),
      m_LastClockMs(parts.m_Clock.NowMs()) {}

RemoteConsole::~RemoteConsole() {
    Stop();
}

bool RemoteConsole::Start() {
    const std::string where = FormatAddress(m_Options.m_BindAddress) + ":" + std::to_string(m_Options.m_Port);
    std::string reason;
    std::optional<TcpListener> listener = TcpListener::Open(m_Options.m_BindAddress, m_Options.m_Port, reason);
    if (!listener) {
        m_Parts.m_Log.Line("ERROR - The remote console cannot listen on TCP %s: %s.", where.c_str(), reason.c_str());
        return false;
    }
    {
        std::scoped_lock lock(m_Shared->m_Mutex);
        m_Shared->m_Server = &m_Server;
    }
    if (!m_Server.Start(std::move(*listener))) {
        m_Parts.m_Log.Line("ERROR - The remote console cannot start.");
        Stop();
        return false;
    }
    const std::string bound = FormatAddress(m_Options.m_BindAddress) + ":" + std::to_string(m_Server.Port());
    m_Parts.m_Log.Line("Remote console listening on TCP %s.", bound.c_str());
    return true;
}

void RemoteConsole::Stop() {
    {
        std::scoped_lock lock(m_Shared->m_Mutex);
        m_Shared->m_Server = nullptr;
    }
    m_Server.Stop();
}

uint64_t RemoteConsole::NowMs() {
    const uint32_t now = m_Parts.m_Clock.NowMs();
    m_ElapsedMs += now - m_LastClockMs;
    m_LastClockMs = now;
    return m_ElapsedMs;
}

bool RemoteConsole::OnOpen(TcpConnectionId id, const NetPeer& peer) {
    if (m_Guard.LockedForMs(peer.m_Address, NowMs()) > 0) {
        m_Parts.m_Counters.CountRemoteLogin(RemoteLogin::LockedOut);
        return false; // not a byte is read from a locked-out address
    }
    Client& client = m_Clients[id];
    client.m_Peer = peer;
    client.m_Address = FormatAddress(peer.m_Address);
    m_OutOfDescriptorsSaid = false;
    return true;
}

void RemoteConsole::OnRefused(const NetPeer& /*peer*/, TcpRefuseReason reason) {
    if (reason == TcpRefuseReason::OutOfDescriptors) {
        if (!m_OutOfDescriptorsSaid) {
            m_OutOfDescriptorsSaid = true; // once until a connection is taken again
            m_Parts.m_Log.Line("Remote console: the system has no file descriptor for a new connection (see the "
                               "open files limit); accepting pauses a moment at a time.");
        }
        return;
    }
    if (reason != TcpRefuseReason::Handler && !m_RefusingSaid) {
        m_RefusingSaid = true; // once a flood, not once a connection
        m_Parts.m_Log.Line("Remote console: too many connections; new ones are closed (at most %llu, %llu from one "
                           "address).",
                           static_cast<unsigned long long>(m_Options.m_Limits.m_MaxConnections),
                           static_cast<unsigned long long>(m_Options.m_Limits.m_MaxPerAddress));
    }
}

void RemoteConsole::OnClosed(TcpConnectionId id, TcpCloseReason reason) {
    const auto found = m_Clients.find(id);
    if (found == m_Clients.end()) {
        return;
    }
    m_Clients.erase(found);
    if (reason == TcpCloseReason::Displaced && !m_DisplacingSaid) {
        m_DisplacingSaid = true; // once a flood, not once a connection
        m_Parts.m_Log.Line("Remote console: too many connections; the oldest that have not logged in are closed to "
                           "make room (at most %llu, %llu from one address).",
                           static_cast<unsigned long long>(m_Options.m_Limits.m_MaxConnections),
                           static_cast<unsigned long long>(m_Options.m_Limits.m_MaxPerAddress));
    }
    if (m_Clients.empty()) {
        m_RefusingSaid = false; // a flood is over
        m_DisplacingSaid = false;
    }
}

void RemoteConsole::OnData(TcpConnectionId id, std::span<const char> data) {
    const auto found = m_Clients.find(id);
    if (found == m_Clients.end()) {
        return;
    }
    if (!found->second.m_Reader.Feed(data)) {
        CloseClient(id, found->second, false); // junk: nothing after it can be trusted
        return;
    }
    HandlePackets(id, found->second);
}

void RemoteConsole::HandlePackets(TcpConnectionId id, Client& client) {
    while (!client.m_Pending && !client.m_Closing) {
        std::optional<RconPacket> packet = client.m_Reader.Next();
        if (!packet) {
            if (client.m_Reader.Failed()) {
                CloseClient(id, client, false);
            }
            return;
        }
        if (packet->m_Type == RconType::Login) {
            HandleLogin(id, client, *packet);
        } else if (!client.m_LoggedIn) {
            CloseClient(id, client, false); // nothing but a login before logging in
            return;
        } else if (packet->m_Type == RconType::ResponseValue) {
            // The end marker of clients that read several answer packets: mirrored after the answer.
            (void)m_Server.Send(id, EncodeRconPacket(packet->m_Id, RconType::ResponseValue, ""));
            m_Server.SetDeadline(id, m_Options.m_IdleTimeout);
        } else {
            HandleCommand(id, client, *packet);
        }
    }
}

void RemoteConsole::CloseClient(TcpConnectionId id, Client& client, bool afterSending) {
    client.m_Closing = true;
    m_Server.Close(id, afterSending);
}

// A login is answered with the login answer alone, no empty answer packet before it: a client that
// reads one packet per arrival would otherwise miss the login answer when both arrive together.
void RemoteConsole::HandleLogin(TcpConnectionId id, Client& client, const RconPacket& packet) {
    const uint64_t now = NowMs();
    if (m_Guard.LockedForMs(client.m_Peer.m_Address, now) > 0) {
        RefuseLogin(id, client, "locked_out");
        return;
    }
    if (const uint64_t wait = m_Guard.GlobalWaitMs(now); wait > 0) {
        // Too many failures from all addresses together: nobody's password is tried for a while.
        FailureLine("refused_unread",
                    "Remote console: too many failed logins from all addresses; a login from %s was refused "
                    "unread (%llu s to wait).",
                    client.m_Address, wait);
        RefuseLogin(id, client, {});
        return;
    }
    const std::string password = m_Parts.m_Log.Secrets().Value(service_variable::RCON_PASSWORD.m_Name);
    if (password.size() >= MIN_RCON_PASSWORD_CHARS && SameSecret(packet.m_Body, password)) {
        m_Guard.Succeeded(client.m_Peer.m_Address, now);
        m_Parts.m_Counters.CountRemoteLogin(RemoteLogin::Accepted);
        LoginEvent(client.m_Address, "accepted",
                   "Remote console: " + client.m_Address + ":" + std::to_string(client.m_Peer.m_Port) + " logged in.");
        client.m_LoggedIn = true;
        m_Server.SetEstablished(id);
        (void)m_Server.Send(id, EncodeRconPacket(packet.m_Id, RconType::LoginAnswer, ""));
        m_Server.SetDeadline(id, m_Options.m_IdleTimeout);
        return;
    }
    m_Parts.m_Counters.CountRemoteLogin(RemoteLogin::WrongPassword);
    const uint64_t lockout = m_Guard.Failed(client.m_Peer.m_Address, now);
    if (lockout > 0) {
        FailureLine("wrong_password", "Remote console: wrong password from %s; it is locked out for %llu s.",
                    client.m_Address, lockout);
    } else {
        FailureLine("wrong_password", "Remote console: wrong password from %s.", client.m_Address, 0);
    }
    (void)m_Server.Send(id, EncodeRconPacket(RCON_FAILED_LOGIN_ID, RconType::LoginAnswer, ""));
    CloseClient(id, client, true);
}

// A login that is not tried: the failed answer, as for a wrong password, and the connection ends. The event
// (`result`, when there is one) is kept within the failure lines' budget, so a flood writes few.
void RemoteConsole::RefuseLogin(TcpConnectionId id, Client& client, std::string_view result) {
    m_Parts.m_Counters.CountRemoteLogin(RemoteLogin::LockedOut);
    if (!result.empty() && m_FailureLines.Take(NowMs())) {
        LoginEvent(client.m_Address, result,
                   "Remote console: a login from " + client.m_Address + " was refused; it is locked out.");
    }
    (void)m_Server.Send(id, EncodeRconPacket(RCON_FAILED_LOGIN_ID, RconType::LoginAnswer, ""));
    CloseClient(id, client, true);
}

void RemoteConsole::FailureLine(std::string_view result, const char* format, const std::string& address,
                                uint64_t lockoutMs) {
    if (m_FailureLines.Take(NowMs())) {
        m_Parts.m_Log.Event(event_name::REMOTE_LOGIN, EventLevel::Warning,
                            EventFieldList().Text("address", address).Text("result", result).Take(), format,
                            address.c_str(), static_cast<unsigned long long>((lockoutMs + 999) / 1000));
    }
}

void RemoteConsole::LoginEvent(const std::string& address, std::string_view result, std::string message) {
    m_Parts.m_Log.Event(LogEvent{std::string(event_name::REMOTE_LOGIN),
                                 result == "accepted" ? EventLevel::Notice : EventLevel::Warning, std::move(message),
                                 EventFieldList().Text("address", address).Text("result", result).Take(),
                                 result == "accepted"}); // a good login is a line of the plain log too
}

void RemoteConsole::HandleCommand(TcpConnectionId id, Client& client, const RconPacket& packet) {
    m_Server.SetDeadline(id, m_Options.m_IdleTimeout);
    const std::string& line = packet.m_Body;
    if (line.empty()) {
        SendText(id, packet.m_Id, "");
        return;
    }
    if (line.size() > MAX_REMOTE_COMMAND_CHARS) {
        SendText(id, packet.m_Id,
                 "The command is longer than " + std::to_string(MAX_REMOTE_COMMAND_CHARS) +
                     " characters, as the console's input takes at most; it was not run.\n");
        return;
    }
    // A tab separates words as a blank does; other control characters (line breaks) are refused.
    if (std::any_of(line.begin(), line.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; })) {
        SendText(id, packet.m_Id, "The command holds a control character (a line break?); it was not run.\n");
        return;
    }
    m_Parts.m_Counters.CountRemoteCommand();
    if (line == SHUTDOWN_LINE) {
        // Answered first: once the server stops, nothing answers any more.
        SendText(id, packet.m_Id, SHUTDOWN_ANSWER);
        (void)m_Parts.m_Commands.Submit(
            line, CommandOrigin::Remote(client.m_Address + ":" + std::to_string(client.m_Peer.m_Port)), 0, nullptr);
        return;
    }
    Submit(id, client, packet.m_Id, line);
}

void RemoteConsole::Submit(TcpConnectionId id, Client& client, int32_t requestId, const std::string& line) {
    auto pending = std::make_shared<Pending>();
    pending->m_RequestId = requestId;
    pending->m_SubmittedMs = NowMs();
    client.m_Pending = pending;
    m_Server.SetReading(id, false); // the next packets wait for this answer
    m_Server.SetDeadline(id, m_Options.m_CommandTimeout + ANSWER_MARGIN);
    auto done = [shared = m_Shared, pending](CommandResult result) {
        pending->m_Result = std::move(result);
        pending->m_Finished.store(true, std::memory_order_release);
        shared->Wake();
    };
    (void)m_Parts.m_Commands.Submit(
        line, CommandOrigin::Remote(client.m_Address + ":" + std::to_string(client.m_Peer.m_Port)),
        m_Options.m_MaxOutput, std::move(done));
}

void RemoteConsole::OnWake() {
    ReplyToFinished();
    if (const uint64_t leftOut = m_FailureLines.TakeLeftOut(NowMs())) {
        m_Parts.m_Log.Line("Remote console: %llu more lines about failed logins were left out (at most %u in %llu s).",
                           static_cast<unsigned long long>(leftOut), FAILURE_LINES,
                           static_cast<unsigned long long>(FAILURE_LINES_PERIOD_MS / 1000));
    }
}

// The answers that are ready go out before the connections close; a command still waiting is said to be.
void RemoteConsole::OnStop() {
    ReplyToFinished();
    for (auto& [id, client] : m_Clients) {
        if (client.m_Pending) {
            SendText(id, client.m_Pending->m_RequestId, STOPPED_ANSWER);
            client.m_Pending.reset();
        }
    }
}

void RemoteConsole::ReplyToFinished() {
    const uint64_t now = NowMs();
    const auto timeout = static_cast<uint64_t>(m_Options.m_CommandTimeout.count());
    for (auto it = m_Clients.begin(); it != m_Clients.end();) {
        const TcpConnectionId id = it->first;
        Client& client = (it++)->second; // Reply may close others' connections, never erase here
        const Pending* pending = client.m_Pending.get();
        if (pending == nullptr) {
            continue;
        }
        const bool finished = pending->m_Finished.load(std::memory_order_acquire);
        if (finished || now - pending->m_SubmittedMs >= timeout) {
            Reply(id, client);
        }
    }
}

std::optional<int64_t> RemoteConsole::NextTimerMs() {
    const uint64_t now = NowMs();
    const auto timeout = static_cast<uint64_t>(m_Options.m_CommandTimeout.count());
    std::optional<int64_t> next;
    for (const auto& [id, client] : m_Clients) {
        const Pending* pending = client.m_Pending.get();
        if (pending == nullptr) {
            continue;
        }
        const uint64_t due =
            pending->m_Finished.load(std::memory_order_acquire) ? now : pending->m_SubmittedMs + timeout;
        const int64_t left = LeftMs(due, now);
        next = next ? std::min(*next, left) : left;
    }
    if (const std::optional<uint64_t> summary = m_FailureLines.SummaryDueInMs(now)) {
        const auto left = static_cast<int64_t>(*summary);
        next = next ? std::min(*next, left) : left;
    }
    return next;
}

void RemoteConsole::Reply(TcpConnectionId id, Client& client) {
    const std::shared_ptr<Pending> pending = std::move(client.m_Pending);
    std::string text;
    if (!pending->m_Finished.load(std::memory_order_acquire)) {
        text = "The console did not take the command within " +
               std::to_string(m_Options.m_CommandTimeout.count() / 1000) + " s; it may still run.\n";
    } else if (pending->m_Result.m_Outcome == CommandOutcome::UnknownAction) {
        text = UNKNOWN_ACTION_ANSWER;
    } else if (pending->m_Result.m_Outcome == CommandOutcome::ConsoleGone) {
        text = WINDOW_GONE_ANSWER;
    } else {
        for (const std::string& line : pending->m_Result.m_Lines) {
            text.append(line).push_back('\n');
        }
        if (pending->m_Result.m_LeftOut > 0) {
            text += "(" + std::to_string(pending->m_Result.m_LeftOut) + " more bytes of console lines were left out)\n";
        }
    }
    SendText(id, pending->m_RequestId, text);
    m_Server.SetReading(id, true);
    m_Server.SetDeadline(id, m_Options.m_IdleTimeout);
    HandlePackets(id, client);
}

void RemoteConsole::SendText(TcpConnectionId id, int32_t requestId, std::string_view text) {
    do {
        const std::string_view piece = text.substr(0, std::min(text.size(), MAX_RCON_BODY));
        if (!m_Server.Send(id, EncodeRconPacket(requestId, RconType::ResponseValue, piece))) {
            return;
        }
        text.remove_prefix(piece.size());
    } while (!text.empty());
}

} // namespace dravo
