// The owned TCP sockets over Windows Sockets 2.
#include "platform/net/TcpListener.h"

#include "platform/net/SocketAddress_win32.h"

#include <vector>

namespace dravo {
namespace {

bool IsTransient(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

void SetNoDelay(SOCKET socket) {
    BOOL one = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

bool SetNonBlocking(SOCKET socket) {
    u_long nonBlocking = 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

std::string SystemReason(int error) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(error), 0,
                   text, sizeof text, nullptr);
    std::string reason(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

} // namespace

TcpStream::Io TcpStream::Read(std::span<char> buffer) {
    const int got = recv(AsSocket(m_Handle), buffer.data(), static_cast<int>(buffer.size()), 0);
    if (got > 0) {
        return {Status::Done, static_cast<size_t>(got)};
    }
    if (got == 0) {
        return {Status::Closed, 0};
    }
    const int error = WSAGetLastError();
    if (error == WSAECONNRESET || error == WSAECONNABORTED) {
        return {Status::Closed, 0};
    }
    return {IsTransient(error) ? Status::WouldBlock : Status::Failed, 0};
}

TcpStream::Io TcpStream::Write(std::span<const char> data) {
    const int sent = send(AsSocket(m_Handle), data.data(), static_cast<int>(data.size()), 0);
    if (sent != SOCKET_ERROR) {
        return {Status::Done, static_cast<size_t>(sent)};
    }
    return {IsTransient(WSAGetLastError()) ? Status::WouldBlock : Status::Failed, 0};
}

void TcpStream::Close() {
    if (m_Handle != NO_SOCKET) {
        closesocket(AsSocket(m_Handle));
        m_Handle = NO_SOCKET;
    }
}

std::optional<TcpListener> TcpListener::Open(uint32_t address, uint16_t port, std::string& error) {
    if (!StartWinsock()) {
        error = "Windows Sockets could not be started";
        return std::nullopt;
    }
    const SOCKET socket = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET) {
        error = SystemReason(WSAGetLastError());
        return std::nullopt;
    }
    TcpListener owner(static_cast<SocketHandle>(socket), port);
    BOOL exclusive = TRUE; // no other program may bind the same port beside us
    setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    sockaddr_in bound = SocketAddress(address, port);
    int size = sizeof bound;
    if (!SetNonBlocking(socket) || bind(socket, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        listen(socket, SOMAXCONN) != 0 || getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        error = SystemReason(WSAGetLastError());
        return std::nullopt;
    }
    owner.m_Port = ntohs(bound.sin_port);
    return owner;
}

std::optional<TcpStream> TcpListener::Accept(NetPeer& peer, bool& outOfDescriptors) {
    sockaddr_in from{};
    int size = sizeof from;
    const SOCKET socket = accept(AsSocket(m_Handle), reinterpret_cast<sockaddr*>(&from), &size);
    if (socket == INVALID_SOCKET) {
        const int error = WSAGetLastError();
        outOfDescriptors = error == WSAEMFILE || error == WSAENOBUFS;
        return std::nullopt;
    }
    outOfDescriptors = false;
    TcpStream stream(static_cast<SocketHandle>(socket));
    if (!SetNonBlocking(socket)) {
        return std::nullopt;
    }
    SetNoDelay(socket);
    peer.m_Address = ntohl(from.sin_addr.s_addr);
    peer.m_Port = ntohs(from.sin_port);
    return stream;
}

void TcpListener::Close() {
    if (m_Handle != NO_SOCKET) {
        closesocket(AsSocket(m_Handle));
        m_Handle = NO_SOCKET;
    }
    m_Port = 0;
}

int PollSockets(std::span<PollEntry> entries, int timeoutMs) {
    std::vector<WSAPOLLFD> sockets(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const PollEntry& entry = entries[i];
        sockets[i].fd = AsSocket(entry.m_Handle);
        sockets[i].events =
            static_cast<SHORT>((entry.m_WantRead ? POLLRDNORM : 0) | (entry.m_WantWrite ? POLLWRNORM : 0));
        sockets[i].revents = 0;
    }
    const int ready = WSAPoll(sockets.data(), static_cast<ULONG>(sockets.size()), timeoutMs);
    if (ready == SOCKET_ERROR) {
        return -1;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const SHORT got = sockets[i].revents;
        entries[i].m_Readable = (got & POLLRDNORM) != 0;
        entries[i].m_Writable = (got & POLLWRNORM) != 0;
        entries[i].m_Failed = (got & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    }
    return ready;
}

} // namespace dravo
