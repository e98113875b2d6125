// The owned TCP sockets over BSD sockets.
#include "platform/net/TcpListener.h"

#include "platform/net/SocketAddress_posix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace dravo {
namespace {

int Fd(SocketHandle handle) {
    return static_cast<int>(handle);
}

bool IsTransient(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

// NOLINTNEXTLINE(readability-make-member-function-const): it reads the socket it owns
TcpStream::Io TcpStream::Read(std::span<char> buffer) {
    const ssize_t got = recv(Fd(m_Handle), buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (got > 0) {
        return {Status::Done, static_cast<size_t>(got)};
    }
    if (got == 0) {
        return {Status::Closed, 0};
    }
    return {IsTransient(errno) ? Status::WouldBlock : Status::Failed, 0};
}

// NOLINTNEXTLINE(readability-make-member-function-const): it writes the socket it owns
TcpStream::Io TcpStream::Write(std::span<const char> data) {
    const ssize_t sent = send(Fd(m_Handle), data.data(), data.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent >= 0) {
        return {Status::Done, static_cast<size_t>(sent)};
    }
    return {IsTransient(errno) ? Status::WouldBlock : Status::Failed, 0};
}

void TcpStream::Close() {
    if (m_Handle != NO_SOCKET) {
        close(Fd(m_Handle));
        m_Handle = NO_SOCKET;
    }
}

std::optional<TcpListener> TcpListener::Open(uint32_t address, uint16_t port, std::string& error) {
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    TcpListener owner(descriptor, port);
    const int one = 1; // a restarted server gets its port back while old connections linger
    setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in bound = SocketAddress(address, port);
    socklen_t size = sizeof bound;
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        listen(descriptor, SOMAXCONN) != 0 ||
        getsockname(descriptor, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    owner.m_Port = ntohs(bound.sin_port);
    return owner;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it takes from the socket it owns
std::optional<TcpStream> TcpListener::Accept(NetPeer& peer, bool& outOfDescriptors) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const int descriptor =
        accept4(Fd(m_Handle), reinterpret_cast<sockaddr*>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (descriptor < 0) {
        outOfDescriptors = errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM;
        return std::nullopt;
    }
    outOfDescriptors = false;
    const int one = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    peer.m_Address = ntohl(from.sin_addr.s_addr);
    peer.m_Port = ntohs(from.sin_port);
    return TcpStream(descriptor);
}

void TcpListener::Close() {
    if (m_Handle != NO_SOCKET) {
        close(Fd(m_Handle));
        m_Handle = NO_SOCKET;
    }
    m_Port = 0;
}

int PollSockets(std::span<PollEntry> entries, int timeoutMs) {
    std::vector<pollfd> descriptors(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const PollEntry& entry = entries[i];
        const short events = static_cast<short>((entry.m_WantRead ? POLLIN : 0) | (entry.m_WantWrite ? POLLOUT : 0));
        descriptors[i] = pollfd{Fd(entry.m_Handle), events, 0};
    }
    const int ready = poll(descriptors.data(), descriptors.size(), timeoutMs);
    if (ready < 0) {
        return errno == EINTR ? 0 : -1;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const short got = descriptors[i].revents;
        entries[i].m_Readable = (got & POLLIN) != 0;
        entries[i].m_Writable = (got & POLLOUT) != 0;
        entries[i].m_Failed = (got & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    }
    return ready;
}

} // namespace dravo
