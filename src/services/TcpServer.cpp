// The TCP server's poll loop: accepting within the limits, reading, writing, deadlines.
#include "services/TcpServer.h"

#include "platform/net/WakeupDescriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace dravo {
namespace {

constexpr size_t READ_CHUNK = 4096;
constexpr int MAX_ACCEPTS_PER_PASS = 64;
// How long accepting pauses when the system has no descriptor for a new connection: the connection waits
// in the listener's queue meanwhile, instead of the loop waking for it again at once.
constexpr uint32_t OUT_OF_DESCRIPTORS_PAUSE_MS = 250;
// At a stop, how long what is queued for the clients (an answer ready just then) may take to go out.
constexpr int STOP_FLUSH_PASSES = 20;
constexpr int STOP_FLUSH_PASS_MS = 50;
// The longest the loop sleeps when nothing is due: a bound, not a tick it needs.
constexpr int64_t LONGEST_WAIT_MS = 60000;

// Milliseconds from `nowMs` to `dueMs` on the wrapping clock; negative once it has passed.
int64_t MsUntil(uint32_t dueMs, uint32_t nowMs) {
    return static_cast<int32_t>(dueMs - nowMs);
}

} // namespace

bool TcpServer::Start(TcpListener listener) {
    if (!listener.IsOpen()) {
        return false;
    }
    m_Wakeup = CreateWakeupDescriptor();
    if (m_Wakeup == NO_SOCKET) {
        return false;
    }
    m_Listener = std::move(listener);
    m_Port = m_Listener.Port();
    m_Running = true;
    m_Thread = std::thread([this] { Run(); });
    return true;
}

void TcpServer::Stop() {
    if (!m_Thread.joinable()) {
        return;
    }
    m_Running = false;
    SignalWakeupDescriptor(m_Wakeup); // whatever a Wake has left pending
    m_Thread.join();
    m_Listener.Close();
    CloseWakeupDescriptor(m_Wakeup);
    m_Wakeup = NO_SOCKET;
}

void TcpServer::Wake() {
    if (!m_WakePending.exchange(true)) {
        SignalWakeupDescriptor(m_Wakeup);
    }
}

void TcpServer::Run() {
    std::vector<PollEntry> entries;
    std::vector<TcpConnectionId> ids;
    while (m_Running) {
        entries.clear();
        ids.clear();
        entries.push_back(PollEntry{m_Wakeup, true});
        const bool accepting = !m_AcceptPaused || MsUntil(m_AcceptPausedUntilMs, m_Clock.NowMs()) <= 0;
        m_AcceptPaused = !accepting;
        entries.push_back(PollEntry{m_Listener.Handle(), accepting});
        for (auto& [id, connection] : m_Connections) {
            ids.push_back(id);
            entries.push_back(PollEntry{connection.m_Stream.Handle(), connection.m_Reading && !connection.m_Closing,
                                        !connection.m_Output.empty()});
        }
        if (PollSockets(entries, WaitMs(m_Clock.NowMs())) < 0) {
            break;
        }
        if (entries[0].m_Readable) {
            DrainWakeupDescriptor(m_Wakeup);
            // Only now: a Wake that came during the drain left its signal there, and its work is seen by
            // the OnWake below; one after this signals again.
            m_WakePending = false;
        }
        const std::optional<int64_t> timer = m_Handler.NextTimerMs();
        if (entries[0].m_Readable || (timer && *timer <= 0)) {
            m_Handler.OnWake();
        }
        if (entries[1].m_Readable) {
            AcceptWaiting();
        }
        for (size_t i = 0; i < ids.size(); ++i) {
            if (Connection* connection = Find(ids[i])) {
                Serve(ids[i], *connection, entries[i + 2]);
            }
        }
        Reap(m_Clock.NowMs());
    }
    FlushBeforeStop();
    for (auto& [id, connection] : m_Connections) {
        MarkClosed(connection, TcpCloseReason::Stopping);
    }
    Reap(m_Clock.NowMs());
}

void TcpServer::FlushBeforeStop() {
    m_Handler.OnStop();
    std::vector<PollEntry> entries;
    std::vector<TcpConnectionId> ids;
    for (int pass = 0; pass < STOP_FLUSH_PASSES; ++pass) {
        entries.clear();
        ids.clear();
        for (auto& [id, connection] : m_Connections) {
            if (!connection.m_Closing && !connection.m_Output.empty()) {
                ids.push_back(id);
                entries.push_back(PollEntry{connection.m_Stream.Handle(), false, true});
            }
        }
        if (entries.empty() || PollSockets(entries, STOP_FLUSH_PASS_MS) < 0) {
            return;
        }
        for (size_t i = 0; i < ids.size(); ++i) {
            if (entries[i].m_Writable || entries[i].m_Failed) {
                Flush(ids[i], m_Connections.at(ids[i]));
            }
        }
    }
}

int TcpServer::WaitMs(uint32_t nowMs) {
    int64_t wait = LONGEST_WAIT_MS;
    if (const std::optional<int64_t> timer = m_Handler.NextTimerMs()) {
        wait = std::min(wait, std::max<int64_t>(*timer, 0));
    }
    for (const auto& [id, connection] : m_Connections) {
        const int64_t left = MsUntil(connection.m_DeadlineMs, nowMs);
        wait = std::min(wait, std::max<int64_t>(left, 0));
    }
    if (m_AcceptPaused) {
        wait = std::min(wait, std::max<int64_t>(MsUntil(m_AcceptPausedUntilMs, nowMs), 0));
    }
    return static_cast<int>(wait);
}

void TcpServer::AcceptWaiting() {
    for (int accepted = 0; accepted < MAX_ACCEPTS_PER_PASS; ++accepted) {
        NetPeer peer;
        bool outOfDescriptors = false;
        std::optional<TcpStream> stream = m_Listener.Accept(peer, outOfDescriptors);
        if (!stream) {
            if (outOfDescriptors) {
                m_AcceptPaused = true;
                m_AcceptPausedUntilMs = m_Clock.NowMs() + OUT_OF_DESCRIPTORS_PAUSE_MS;
                m_Handler.OnRefused(NetPeer{}, TcpRefuseReason::OutOfDescriptors);
            }
            return;
        }
        const auto counted = m_PerAddress.find(peer.m_Address);
        const bool addressFull = counted != m_PerAddress.end() && counted->second >= m_Limits.m_MaxPerAddress;
        const bool full = m_Connections.size() >= m_Limits.m_MaxConnections;
        if ((addressFull || full) && !MakeRoom(addressFull ? std::optional<uint32_t>(peer.m_Address) : std::nullopt)) {
            stream->Close();
            m_Handler.OnRefused(peer, full ? TcpRefuseReason::TooMany : TcpRefuseReason::TooManyFromAddress);
            continue;
        }
        Open(peer, std::move(*stream));
    }
}

void TcpServer::Open(const NetPeer& peer, TcpStream stream) {
    const TcpConnectionId id = m_NextId++;
    Connection connection;
    connection.m_Stream = std::move(stream);
    connection.m_Peer = peer;
    connection.m_DeadlineMs = m_Clock.NowMs() + static_cast<uint32_t>(m_Limits.m_FirstDeadline.count());
    m_Connections.emplace(id, std::move(connection));
    ++m_PerAddress[peer.m_Address];
    if (!m_Handler.OnOpen(id, peer)) {
        Connection& refused = m_Connections.at(id);
        refused.m_Stream.Close();
        refused.m_Closing = true;
        refused.m_Reason = TcpCloseReason::Handler;
        m_Handler.OnRefused(peer, TcpRefuseReason::Handler);
    }
}

// The oldest connection that is still pending (from `address`, when given) is closed at once, so that a
// client who has something to say (a login, a request) gets in while idle ones fill the places.
bool TcpServer::MakeRoom(std::optional<uint32_t> address) {
    for (auto& [id, connection] : m_Connections) { // ids rise with age
        if (!connection.m_Established && !connection.m_Closing &&
            (!address || connection.m_Peer.m_Address == *address)) {
            connection.m_Stream.Close();
            MarkClosed(connection, TcpCloseReason::Displaced);
            ReapOne(id);
            return true;
        }
    }
    return false;
}

void TcpServer::Serve(TcpConnectionId id, Connection& connection, const PollEntry& entry) {
    if (connection.m_Closing) {
        return;
    }
    if (entry.m_Writable || (entry.m_Failed && !connection.m_Output.empty())) {
        Flush(id, connection);
    }
    if (!connection.m_Closing && connection.m_Reading && (entry.m_Readable || entry.m_Failed)) {
        ReadFrom(id, connection);
    }
}

void TcpServer::ReadFrom(TcpConnectionId id, Connection& connection) {
    std::array<char, READ_CHUNK> buffer{};
    const TcpStream::Io io = connection.m_Stream.Read(buffer);
    switch (io.m_Status) {
    case TcpStream::Status::Done:
        m_Handler.OnData(id, std::span<const char>(buffer.data(), io.m_Bytes));
        break;
    case TcpStream::Status::WouldBlock:
        break;
    case TcpStream::Status::Closed:
        MarkClosed(connection, TcpCloseReason::Peer);
        break;
    case TcpStream::Status::Failed:
        MarkClosed(connection, TcpCloseReason::Failed);
        break;
    }
}

void TcpServer::Flush(TcpConnectionId id, Connection& connection) {
    bool waited = false;
    while (!connection.m_Output.empty()) {
        const TcpStream::Io io = connection.m_Stream.Write(connection.m_Output);
        if (io.m_Status == TcpStream::Status::WouldBlock) {
            return; // the poll says when there is room
        }
        if (io.m_Status != TcpStream::Status::Done) {
            MarkClosed(connection, TcpCloseReason::Failed);
            return;
        }
        connection.m_Output.erase(0, io.m_Bytes);
        waited = true;
    }
    if (connection.m_CloseWhenSent) {
        MarkClosed(connection, TcpCloseReason::Handler);
    } else if (waited) {
        m_Handler.OnSent(id);
    }
}

bool TcpServer::Send(TcpConnectionId id, std::string_view bytes) {
    Connection* connection = Find(id);
    if (connection == nullptr || connection->m_Closing) {
        return false;
    }
    if (connection->m_Output.size() + bytes.size() > m_Limits.m_MaxOutputBytes) {
        MarkClosed(*connection, TcpCloseReason::Output);
        return false;
    }
    connection->m_Output.append(bytes);
    Flush(id, *connection);
    return !connection->m_Closing || connection->m_CloseWhenSent;
}

void TcpServer::Close(TcpConnectionId id, bool afterSending) {
    Connection* connection = Find(id);
    if (connection == nullptr || connection->m_Closing) {
        return;
    }
    if (afterSending && !connection->m_Output.empty()) {
        connection->m_CloseWhenSent = true;
        connection->m_Reading = false;
        return;
    }
    MarkClosed(*connection, TcpCloseReason::Handler);
}

void TcpServer::SetDeadline(TcpConnectionId id, std::chrono::milliseconds fromNow) {
    if (Connection* connection = Find(id)) {
        connection->m_DeadlineMs = m_Clock.NowMs() + static_cast<uint32_t>(fromNow.count());
    }
}

void TcpServer::SetEstablished(TcpConnectionId id) {
    if (Connection* connection = Find(id)) {
        connection->m_Established = true;
    }
}

void TcpServer::SetReading(TcpConnectionId id, bool reading) {
    if (Connection* connection = Find(id)) {
        connection->m_Reading = reading && !connection->m_CloseWhenSent;
    }
}

void TcpServer::MarkClosed(Connection& connection, TcpCloseReason reason) {
    if (!connection.m_Closing) {
        connection.m_Closing = true;
        connection.m_Reason = reason;
    }
}

TcpServer::Connection* TcpServer::Find(TcpConnectionId id) {
    const auto found = m_Connections.find(id);
    return found == m_Connections.end() ? nullptr : &found->second;
}

void TcpServer::Reap(uint32_t nowMs) {
    for (auto& [id, connection] : m_Connections) {
        if (!connection.m_Closing && MsUntil(connection.m_DeadlineMs, nowMs) <= 0) {
            MarkClosed(connection, TcpCloseReason::Deadline);
        }
    }
    std::vector<TcpConnectionId> ended;
    for (const auto& [id, connection] : m_Connections) {
        if (connection.m_Closing) {
            ended.push_back(id);
        }
    }
    for (const TcpConnectionId id : ended) {
        ReapOne(id);
    }
}

void TcpServer::ReapOne(TcpConnectionId id) {
    const auto found = m_Connections.find(id);
    if (found == m_Connections.end()) {
        return;
    }
    const TcpCloseReason reason = found->second.m_Reason;
    const auto counted = m_PerAddress.find(found->second.m_Peer.m_Address);
    if (counted != m_PerAddress.end() && --counted->second == 0) {
        m_PerAddress.erase(counted);
    }
    m_Connections.erase(found);
    m_Handler.OnClosed(id, reason);
}

} // namespace dravo
