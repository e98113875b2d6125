// GameSocket over BSD sockets.
#include "GameSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace dravo::ref {

namespace {

sockaddr_in MakeAddress(uint32_t address, uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

// Errors that say something about one datagram or a passing shortage, not about the socket.
bool IsPassing(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == ECONNREFUSED || error == ENOBUFS ||
           error == ENOMEM || error == EHOSTUNREACH || error == ENETUNREACH;
}

} // namespace

std::optional<GameSocket> GameSocket::Open(uint32_t bindAddress, uint16_t port, std::string& error) {
    const std::string where = AddressText(bindAddress) + ":" + std::to_string(port);
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        error = std::string("Unable to create the game socket: ") + std::strerror(errno) + ".";
        return std::nullopt;
    }
    GameSocket owned(descriptor, bindAddress, port);
    const sockaddr_in local = MakeAddress(bindAddress, port);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        error = "Unable to open the game port " + where + ": " + std::strerror(errno) + ".";
        return std::nullopt;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        error = "Unable to read the game port " + where + ": " + std::strerror(errno) + ".";
        return std::nullopt;
    }
    owned.m_Port = ntohs(bound.sin_port);
    return owned;
}

GameSocket::GameSocket(GameSocket&& other) noexcept
    : m_Descriptor(std::exchange(other.m_Descriptor, NO_HANDLE)), m_BoundAddress(other.m_BoundAddress),
      m_Port(other.m_Port) {}

GameSocket& GameSocket::operator=(GameSocket&& other) noexcept {
    if (this != &other) {
        if (m_Descriptor >= 0) {
            ::close(static_cast<int>(m_Descriptor));
        }
        m_Descriptor = std::exchange(other.m_Descriptor, NO_HANDLE);
        m_BoundAddress = other.m_BoundAddress;
        m_Port = other.m_Port;
    }
    return *this;
}

GameSocket::~GameSocket() {
    if (m_Descriptor >= 0) {
        ::close(static_cast<int>(m_Descriptor));
    }
}

// NOLINTNEXTLINE(readability-make-member-function-const): it takes from the socket it owns
GameSocket::Received GameSocket::Receive(std::string& data, PeerAddress& from, std::string& error) {
    data.resize(MAX_RECEIVE);
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t received = ::recvfrom(static_cast<int>(m_Descriptor), data.data(), data.size(), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received < 0) {
        const int code = errno;
        data.clear();
        if (code == EAGAIN || code == EWOULDBLOCK) {
            return Received::Nothing;
        }
        if (IsPassing(code)) {
            return Received::Dropped;
        }
        error = std::string("The game port failed: ") + std::strerror(code) + ".";
        return Received::Failed;
    }
    if (static_cast<size_t>(received) > MAX_RECEIVE || sender.sin_family != AF_INET) {
        data.clear();
        return Received::Dropped;
    }
    data.resize(static_cast<size_t>(received));
    from.m_Address = ntohl(sender.sin_addr.s_addr);
    from.m_Port = ntohs(sender.sin_port);
    return Received::Datagram;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it sends on the socket it owns
bool GameSocket::Send(std::string_view data, const PeerAddress& to) {
    if (to.m_Port == 0) {
        return false;
    }
    const sockaddr_in destination = MakeAddress(to.m_Address, to.m_Port);
    const ssize_t sent = ::sendto(static_cast<int>(m_Descriptor), data.data(), data.size(), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    return sent >= 0 && static_cast<size_t>(sent) == data.size();
}

void GameSocket::WaitForAny(std::span<const GameSocket* const> sockets, std::chrono::milliseconds limit) {
    std::vector<pollfd> waits;
    for (const GameSocket* socket : sockets) {
        waits.push_back(pollfd{static_cast<int>(socket->m_Descriptor), POLLIN, 0});
    }
    ::poll(waits.data(), waits.size(), static_cast<int>(limit.count()));
}

std::optional<uint32_t> GameSocket::ParseAddress(const std::string& text) {
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1) {
        return std::nullopt;
    }
    return ntohl(address.s_addr);
}

std::optional<uint32_t> GameSocket::Resolve(const char* hostOrAddress) {
    if (hostOrAddress == nullptr || *hostOrAddress == '\0') {
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostOrAddress, nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    std::optional<uint32_t> address;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in ipv4{};
            std::memcpy(&ipv4, entry->ai_addr, sizeof ipv4);
            address = ntohl(ipv4.sin_addr.s_addr);
            break;
        }
    }
    ::freeaddrinfo(found);
    return address;
}

std::optional<uint32_t> GameSocket::FirstExternalAddress() {
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) {
        return std::nullopt;
    }
    std::optional<uint32_t> address;
    for (const ifaddrs* entry = interfaces; entry != nullptr && !address; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_UP) == 0 ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        sockaddr_in ipv4{};
        std::memcpy(&ipv4, entry->ifa_addr, sizeof ipv4);
        address = ntohl(ipv4.sin_addr.s_addr);
    }
    ::freeifaddrs(interfaces);
    return address;
}

} // namespace dravo::ref
