// The tests' own loopback socket over BSD sockets.
#include "support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace dravo::test {
namespace {

constexpr size_t MAX_DATAGRAM = 65536;

sockaddr_in SocketAddress(uint32_t address, uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

} // namespace

LoopbackSocket::LoopbackSocket(uint32_t address, uint16_t port) {
    const int descriptor = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return;
    }
    const int bufferBytes = 1 << 20;
    setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof bufferBytes);
    sockaddr_in bound = SocketAddress(address, port);
    socklen_t size = sizeof bound;
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        getsockname(descriptor, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        close(descriptor);
        return;
    }
    m_Handle = descriptor;
    m_Port = ntohs(bound.sin_port);
}

LoopbackSocket::~LoopbackSocket() {
    if (IsOpen()) {
        close(static_cast<int>(m_Handle));
    }
}

bool LoopbackSocket::SendTo(uint32_t address, uint16_t port, std::string_view data) {
    const sockaddr_in to = SocketAddress(address, port);
    return IsOpen() && sendto(static_cast<int>(m_Handle), data.data(), data.size(), MSG_NOSIGNAL,
                              reinterpret_cast<const sockaddr*>(&to), sizeof to) == static_cast<ssize_t>(data.size());
}

std::optional<LoopbackSocket::Datagram> LoopbackSocket::Receive(std::chrono::milliseconds limit) {
    pollfd ready{static_cast<int>(m_Handle), POLLIN, 0};
    if (!IsOpen() || poll(&ready, 1, static_cast<int>(limit.count())) != 1) {
        return std::nullopt;
    }
    Datagram datagram;
    datagram.m_Data.resize(MAX_DATAGRAM);
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t received = recvfrom(static_cast<int>(m_Handle), datagram.m_Data.data(), datagram.m_Data.size(),
                                      MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &size);
    if (received < 0) {
        return std::nullopt;
    }
    datagram.m_Data.resize(static_cast<size_t>(received));
    datagram.m_FromAddress = ntohl(from.sin_addr.s_addr);
    datagram.m_FromPort = ntohs(from.sin_port);
    return datagram;
}

} // namespace dravo::test
