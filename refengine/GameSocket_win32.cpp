// GameSocket over Windows Sockets 2.
#include "GameSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <utility>
#include <vector>

namespace dravo::ref {

namespace {

// Windows Sockets are started once, by the first use, and stay started for the life of the process.
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

sockaddr_in MakeAddress(uint32_t address, uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

std::string ErrorText(int code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

// Errors that say something about one datagram or a passing shortage, not about the socket. An ICMP
// "port unreachable" for an earlier datagram comes back as WSAECONNRESET on Windows.
bool IsPassing(int error) {
    return error == WSAEINTR || error == WSAECONNRESET || error == WSAENETRESET || error == WSAEMSGSIZE ||
           error == WSAENOBUFS || error == WSAEHOSTUNREACH || error == WSAENETUNREACH;
}

} // namespace

std::optional<GameSocket> GameSocket::Open(uint32_t bindAddress, uint16_t port, std::string& error) {
    const std::string where = AddressText(bindAddress) + ":" + std::to_string(port);
    if (!StartWinsock()) {
        error = "Unable to create the game socket: Windows Sockets did not start.";
        return std::nullopt;
    }
    const SOCKET descriptor = ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (descriptor == INVALID_SOCKET) {
        error = "Unable to create the game socket: " + ErrorText(WSAGetLastError()) + ".";
        return std::nullopt;
    }
    GameSocket owned(static_cast<Handle>(descriptor), bindAddress, port);
    u_long nonBlocking = 1;
    BOOL exclusive = TRUE; // no other program may take the port over while the game holds it
    ::setsockopt(descriptor, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                 sizeof exclusive);
    if (::ioctlsocket(descriptor, FIONBIO, &nonBlocking) != 0) {
        error = "Unable to create the game socket: " + ErrorText(WSAGetLastError()) + ".";
        return std::nullopt;
    }
    // An ICMP "port unreachable" must not fail the next receive.
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(descriptor, _WSAIOW(IOC_VENDOR, 12), &reportReset, sizeof reportReset, nullptr, 0, &returned, nullptr,
               nullptr);
    const sockaddr_in local = MakeAddress(bindAddress, port);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        error = "Unable to open the game port " + where + ": " + ErrorText(WSAGetLastError()) + ".";
        return std::nullopt;
    }
    sockaddr_in bound{};
    int length = sizeof bound;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        error = "Unable to read the game port " + where + ": " + ErrorText(WSAGetLastError()) + ".";
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
        if (m_Descriptor != NO_HANDLE) {
            ::closesocket(AsSocket(m_Descriptor));
        }
        m_Descriptor = std::exchange(other.m_Descriptor, NO_HANDLE);
        m_BoundAddress = other.m_BoundAddress;
        m_Port = other.m_Port;
    }
    return *this;
}

GameSocket::~GameSocket() {
    if (m_Descriptor != NO_HANDLE) {
        ::closesocket(AsSocket(m_Descriptor));
    }
}

GameSocket::Received GameSocket::Receive(std::string& data, PeerAddress& from, std::string& error) {
    data.resize(MAX_RECEIVE);
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    // A datagram longer than the buffer fails with WSAEMSGSIZE and is gone: dropped, as it should be.
    const int received = ::recvfrom(AsSocket(m_Descriptor), data.data(), static_cast<int>(data.size()), 0,
                                    reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received == SOCKET_ERROR) {
        const int code = WSAGetLastError();
        data.clear();
        if (code == WSAEWOULDBLOCK) {
            return Received::Nothing;
        }
        if (IsPassing(code)) {
            return Received::Dropped;
        }
        error = "The game port failed: " + ErrorText(code) + ".";
        return Received::Failed;
    }
    if (sender.sin_family != AF_INET) {
        data.clear();
        return Received::Dropped;
    }
    data.resize(static_cast<size_t>(received));
    from.m_Address = ntohl(sender.sin_addr.s_addr);
    from.m_Port = ntohs(sender.sin_port);
    return Received::Datagram;
}

bool GameSocket::Send(std::string_view data, const PeerAddress& to) {
    if (to.m_Port == 0) {
        return false;
    }
    const sockaddr_in destination = MakeAddress(to.m_Address, to.m_Port);
    const int sent = ::sendto(AsSocket(m_Descriptor), data.data(), static_cast<int>(data.size()), 0,
                              reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    return sent != SOCKET_ERROR && static_cast<size_t>(sent) == data.size();
}

void GameSocket::WaitForAny(std::span<const GameSocket* const> sockets, std::chrono::milliseconds limit) {
    std::vector<WSAPOLLFD> waits;
    for (const GameSocket* socket : sockets) {
        WSAPOLLFD wait{};
        wait.fd = AsSocket(socket->m_Descriptor);
        wait.events = POLLRDNORM;
        waits.push_back(wait);
    }
    if (waits.empty()) {
        ::Sleep(static_cast<DWORD>(limit.count()));
        return;
    }
    ::WSAPoll(waits.data(), static_cast<ULONG>(waits.size()), static_cast<INT>(limit.count()));
}

std::optional<uint32_t> GameSocket::ParseAddress(const std::string& text) {
    in_addr address{};
    if (!StartWinsock() || ::inet_pton(AF_INET, text.c_str(), &address) != 1) {
        return std::nullopt;
    }
    return ntohl(address.s_addr);
}

std::optional<uint32_t> GameSocket::Resolve(const char* hostOrAddress) {
    if (hostOrAddress == nullptr || *hostOrAddress == '\0' || !StartWinsock()) {
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
            address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
            break;
        }
    }
    ::freeaddrinfo(found);
    return address;
}

std::optional<uint32_t> GameSocket::FirstExternalAddress() {
    char host[256] = {};
    if (!StartWinsock() || ::gethostname(host, sizeof host) != 0) {
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    std::optional<uint32_t> address;
    for (const addrinfo* entry = found; entry != nullptr && !address; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) {
            continue;
        }
        const uint32_t candidate = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
        if ((candidate >> 24) != 127) {
            address = candidate;
        }
    }
    ::freeaddrinfo(found);
    return address;
}

} // namespace dravo::ref
