// The tests' TCP calls over BSD sockets.
#include "support/TestSockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace dravo::test::sockets {
namespace {

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

} // namespace

Socket ListenOnLoopback(uint16_t& port) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 64) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (listener >= 0) {
            close(listener);
        }
        return NO_SOCKET;
    }
    port = ntohs(address.sin_port);
    return listener;
}

Socket Accept(Socket listener) {
    const int client = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return client < 0 ? NO_SOCKET : client;
}

long Receive(Socket socket, char* buffer, size_t size) {
    return static_cast<long>(read(static_cast<int>(socket), buffer, size));
}

Socket ConnectFrom(uint16_t port, uint32_t from) {
    const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in source = Loopback(0);
    source.sin_addr.s_addr = htonl(from);
    const sockaddr_in target = Loopback(port);
    if (client < 0 || (from != 0 && bind(client, reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0) ||
        connect(client, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        if (client >= 0) {
            close(client);
        }
        return NO_SOCKET;
    }
    const int one = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fcntl(client, F_SETFL, fcntl(client, F_GETFL) | O_NONBLOCK);
    return client;
}

void SendAll(Socket socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(static_cast<int>(socket), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
}

void Close(Socket socket) {
    close(static_cast<int>(socket));
}

void Knock(uint16_t port) {
    const int knock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (knock < 0) {
        return;
    }
    const sockaddr_in address = Loopback(port);
    (void)connect(knock, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    close(knock);
}

void WaitReadable(const std::vector<Socket>& sockets, std::vector<bool>& readable, int timeoutMs) {
    std::vector<pollfd> watched;
    for (const Socket socket : sockets) {
        watched.push_back({static_cast<int>(socket), POLLIN, 0});
    }
    readable.assign(sockets.size(), false);
    if (poll(watched.data(), watched.size(), timeoutMs) <= 0) {
        return;
    }
    for (size_t i = 0; i < watched.size(); ++i) {
        readable[i] = watched[i].revents != 0;
    }
}

} // namespace dravo::test::sockets
