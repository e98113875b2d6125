// The tests' TCP calls over Winsock.
#include "support/TestSockets.h"

#include <winsock2.h>

namespace dravo::test::sockets {
namespace {

void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

SOCKET Native(Socket socket) {
    return static_cast<SOCKET>(socket);
}

} // namespace

Socket ListenOnLoopback(uint16_t& port) {
    StartWinsock();
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 64) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (listener != INVALID_SOCKET) {
            closesocket(listener);
        }
        return NO_SOCKET;
    }
    port = ntohs(address.sin_port);
    return static_cast<Socket>(listener);
}

Socket Accept(Socket listener) {
    const SOCKET client = accept(Native(listener), nullptr, nullptr);
    return client == INVALID_SOCKET ? NO_SOCKET : static_cast<Socket>(client);
}

long Receive(Socket socket, char* buffer, size_t size) {
    return recv(Native(socket), buffer, static_cast<int>(size), 0);
}

Socket ConnectFrom(uint16_t port, uint32_t from) {
    StartWinsock();
    const SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in source = Loopback(0);
    source.sin_addr.s_addr = htonl(from);
    const sockaddr_in target = Loopback(port);
    if (client == INVALID_SOCKET ||
        (from != 0 && bind(client, reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0) ||
        connect(client, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        if (client != INVALID_SOCKET) {
            closesocket(client);
        }
        return NO_SOCKET;
    }
    BOOL noDelay = TRUE;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    u_long nonBlocking = 1;
    ioctlsocket(client, FIONBIO, &nonBlocking);
    return static_cast<Socket>(client);
}

void SendAll(Socket socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const int sent = send(Native(socket), bytes.data(), static_cast<int>(bytes.size()), 0);
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
}

void Close(Socket socket) {
    closesocket(Native(socket));
}

void Knock(uint16_t port) {
    StartWinsock();
    const SOCKET knock = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (knock == INVALID_SOCKET) {
        return;
    }
    const sockaddr_in address = Loopback(port);
    (void)connect(knock, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    closesocket(knock);
}

void WaitReadable(const std::vector<Socket>& sockets, std::vector<bool>& readable, int timeoutMs) {
    std::vector<WSAPOLLFD> watched;
    for (const Socket socket : sockets) {
        watched.push_back({Native(socket), POLLRDNORM, 0});
    }
    readable.assign(sockets.size(), false);
    if (WSAPoll(watched.data(), static_cast<ULONG>(watched.size()), timeoutMs) <= 0) {
        return;
    }
    for (size_t i = 0; i < watched.size(); ++i) {
        readable[i] = watched[i].revents != 0;
    }
}

} // namespace dravo::test::sockets
