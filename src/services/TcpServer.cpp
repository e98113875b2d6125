// The TCP server's poll loop: accepting within the limits, reading, writing, deadlines.
#include "services/TcpServer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace dravo {
namespace {

constexpr uint32_t LOOPBACK = 0x7F000001;
constexpr size_t READ_CHUNK = 4096;
constexpr int MAX_ACCEPTS_PER_PASS = 64;
// The longest the loop sleeps when nothing is due: a bound, not a tick it needs.
constexpr int64_t LONGEST_WAIT_MS = 60000;
constexpr int WAKE_BATCH = 16;  // wake-up datagrams taken at once
constexpr size_t WAKE_ROOM = 2; // bytes a wake-up datagram may take (it holds one)

} // namespace

bool TcpServer::Start(TcpListener listener) {
    std::optional<UdpSocket> wake = UdpSocket::Open(0, LOOPBACK);
    if (!wake || !listener.IsOpen()) {
        return false;
    }
    m_WakeSocket = std::move(*wake);
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
    SendWake(); // whatever a Wake has left pending
    m_Thread.join();
    m_Listener.Close();
    m_WakeSocket.Close();
}

void TcpServer::Wake() {
    if (!m_WakePending.exchange(true)) {
        SendWake();
    }
}

void TcpServer::SendWake() {
    const char byte = 0;
    (void)m_WakeSocket.SendTo(&byte, 1, UdpPeer{LOOPBACK, m_WakeSocket.Port()});
}

void TcpServer::Run() {
    std::vector<PollEntry> entries;
    std::vector<TcpConnectionId> ids;
    while (m_Running) {
        entries.clear();
        ids.clear();
        entries.push_back(PollEntry{m_WakeSocket.SystemHandle(), true});
        entries.push_back(PollEntry{m_Listener.Handle(), true});
        for (auto& [id, connection] : m_Connections) {
            ids.push_back(id);
            entries.push_back(PollEntry{connection.m_Stream.Handle(), connection.m_Reading && !connection.m_Closing,
                                        !connection.m_Output.empty()});
        }
        if (PollSockets(entries, WaitMs(Clock::now())) < 0) {
            break;
        }
        if (entries[0].m_Readable) {
            std::array<char, WAKE_ROOM * WAKE_BATCH> drain{};
            std::array<UdpDatagram, WAKE_BATCH> datagrams{};
            while (m_WakeSocket.ReceiveBatch(drain.data(), WAKE_ROOM, datagrams.data(), WAKE_BATCH) == WAKE_BATCH) {
            }
            // Only now: a Wake that came during the drain left its datagram there, and its work is seen by
            // the OnWake below; one after this sends a datagram of its own.
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
        Reap(Clock::now());
    }
    for (auto& [id, connection] : m_Connections) {
        MarkClosed(connection, TcpCloseReason::Stopping);
    }
    Reap(Clock::now());
}

int TcpServer::WaitMs(Clock::time_point now) {
    int64_t wait = LONGEST_WAIT_MS;
    if (const std::optional<int64_t> timer = m_Handler.NextTimerMs()) {
        wait = std::min(wait, std::max<int64_t>(*timer, 0));
    }
    for (const auto& [id, connection] : m_Connections) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(connection.m_Deadline - now).count();
        wait = std::min(wait, std::max<int64_t>(left, 0));
    }
    return static_cast<int>(wait);
}

void TcpServer::AcceptWaiting() {
    for (int accepted = 0; accepted < MAX_ACCEPTS_PER_PASS; ++accepted) {
        TcpPeer peer;
        std::optional<TcpStream> stream = m_Listener.Accept(peer);
        if (!stream) {
            return;
        }
        size_t& fromAddress = m_PerAddress[peer.m_Address];
        if (m_Connections.size() >= m_Limits.m_MaxConnections || fromAddress >= m_Limits.m_MaxPerAddress) {
            const bool overall = m_Connections.size() >= m_Limits.m_MaxConnections;
            if (fromAddress == 0) {
                m_PerAddress.erase(peer.m_Address);
            }
            stream->Close();
            m_Handler.OnRefused(peer, overall ? TcpRefuseReason::TooMany : TcpRefuseReason::TooManyFromAddress);
            continue;
        }
        const TcpConnectionId id = m_NextId++;
        Connection connection;
        connection.m_Stream = std::move(*stream);
        connection.m_Peer = peer;
        connection.m_Deadline = Clock::now() + m_Limits.m_FirstDeadline;
        m_Connections.emplace(id, std::move(connection));
        ++fromAddress;
        if (!m_Handler.OnOpen(id, peer)) {
            Connection& refused = m_Connections.at(id);
            refused.m_Stream.Close();
            refused.m_Closing = true;
            refused.m_Reason = TcpCloseReason::Handler;
            m_Handler.OnRefused(peer, TcpRefuseReason::Handler);
        }
    }
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
        connection->m_Deadline = Clock::now() + fromNow;
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

void TcpServer::Reap(Clock::time_point now) {
    for (auto& [id, connection] : m_Connections) {
        if (!connection.m_Closing && now >= connection.m_Deadline) {
            MarkClosed(connection, TcpCloseReason::Deadline);
        }
    }
    for (auto it = m_Connections.begin(); it != m_Connections.end();) {
        Connection& connection = it->second;
        if (!connection.m_Closing) {
            ++it;
            continue;
        }
        const TcpConnectionId id = it->first;
        const TcpCloseReason reason = connection.m_Reason;
        const auto counted = m_PerAddress.find(connection.m_Peer.m_Address);
        if (counted != m_PerAddress.end() && --counted->second == 0) {
            m_PerAddress.erase(counted);
        }
        it = m_Connections.erase(it);
        m_Handler.OnClosed(id, reason);
    }
}

} // namespace dravo
