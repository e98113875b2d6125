// The tests' own loopback socket over Windows Sockets 2.
#include "support/LoopbackSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace dravo::test {
namespace {

constexpr size_t MAX_DATAGRAM = 65536;

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SOCKET AsSocket(intptr_t handle) {
    return static_cast<SOCKET>(handle);
}

sockaddr_in SocketAddress(uint32_t address, uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

} // namespace

LoopbackSocket::LoopbackSocket(uint32_t address, uint16_t port) {
    if (!StartWinsock()) {
        return;
    }
    const SOCKET descriptor = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (descriptor == INVALID_SOCKET) {
        return;
    }
    const int bufferBytes = 1 << 20;
    setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bufferBytes), sizeof bufferBytes);
    sockaddr_in bound = SocketAddress(address, port);
    int size = sizeof bound;
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        getsockname(descriptor, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        closesocket(descriptor);
        return;
    }
    m_Handle = static_cast<intptr_t>(descriptor);
    m_Port = ntohs(bound.sin_port);
}

LoopbackSocket::~LoopbackSocket() {
    if (IsOpen()) {
        closesocket(AsSocket(m_Handle));
    }
}

bool LoopbackSocket::SendTo(uint32_t address, uint16_t port, std::string_view data) {
    const sockaddr_in to = SocketAddress(address, port);
    return IsOpen() && sendto(AsSocket(m_Handle), data.data(), static_cast<int>(data.size()), 0,
                              reinterpret_cast<const sockaddr*>(&to), sizeof to) == static_cast<int>(data.size());
}

std::optional<LoopbackSocket::Datagram> LoopbackSocket::Receive(std::chrono::milliseconds limit) {
    WSAPOLLFD ready{};
    ready.fd = AsSocket(m_Handle);
    ready.events = POLLRDNORM;
    if (!IsOpen() || WSAPoll(&ready, 1, static_cast<INT>(limit.count())) != 1) {
        return std::nullopt;
    }
    Datagram datagram;
    datagram.m_Data.resize(MAX_DATAGRAM);
    sockaddr_in from{};
    int size = sizeof from;
    const int received = recvfrom(AsSocket(m_Handle), datagram.m_Data.data(), static_cast<int>(datagram.m_Data.size()),
                                  0, reinterpret_cast<sockaddr*>(&from), &size);
    if (received == SOCKET_ERROR) {
        return std::nullopt;
    }
    datagram.m_Data.resize(static_cast<size_t>(received));
    datagram.m_FromAddress = ntohl(from.sin_addr.s_addr);
    datagram.m_FromPort = ntohs(from.sin_port);
    return datagram;
}

} // namespace dravo::test
