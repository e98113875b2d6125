// What the Windows Sockets files share: the start of Windows Sockets, a socket of a handle kept as a
// number, and the socket address of an IPv4 address and port in host order.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>

namespace dravo {

// Windows Sockets are started by the first use and stay started for the life of the process.
inline bool StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

inline SOCKET AsSocket(intptr_t handle) {
    return static_cast<SOCKET>(handle);
}

inline sockaddr_in SocketAddress(uint32_t address, uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

} // namespace dravo
