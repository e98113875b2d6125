// The wake-up descriptor on Windows: WSAPoll waits on sockets only, so it is a non-blocking UDP socket on
// the loopback address, connected to itself; a signal is one byte sent to it.
#include "platform/net/WakeupDescriptor.h"

#include "platform/net/SocketAddress_win32.h"

namespace dravo {
namespace {

// Datagrams taken by one drain; more (from signals sent meanwhile) leave it readable for the next pass.
constexpr int DRAIN_BATCH = 256;
constexpr uint32_t LOOPBACK_ADDRESS = 0x7F000001;

} // namespace

SocketHandle CreateWakeupDescriptor() {
    if (!StartWinsock()) {
        return NO_SOCKET;
    }
    const SOCKET socket = WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET) {
        return NO_SOCKET;
    }
    sockaddr_in bound = SocketAddress(LOOPBACK_ADDRESS, 0);
    int size = sizeof bound;
    u_long nonBlocking = 1;
    if (bind(socket, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &size) != 0 ||
        connect(socket, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
        closesocket(socket);
        return NO_SOCKET;
    }
    return static_cast<SocketHandle>(socket);
}

void SignalWakeupDescriptor(SocketHandle wakeup) {
    if (wakeup != NO_SOCKET) {
        const char byte = 0;
        (void)send(AsSocket(wakeup), &byte, 1, 0);
    }
}

void DrainWakeupDescriptor(SocketHandle wakeup) {
    if (wakeup == NO_SOCKET) {
        return;
    }
    char byte = 0;
    for (int i = 0; i < DRAIN_BATCH && recv(AsSocket(wakeup), &byte, 1, 0) >= 0; ++i) {
    }
}

void CloseWakeupDescriptor(SocketHandle wakeup) {
    if (wakeup != NO_SOCKET) {
        closesocket(AsSocket(wakeup));
    }
}

} // namespace dravo
