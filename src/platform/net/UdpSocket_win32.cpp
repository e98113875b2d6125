// The owned UDP socket over Windows Sockets 2.
#include "platform/net/UdpSocket.h"

#include "platform/net/SocketAddress_win32.h"

#include <utility>

namespace dravo {
namespace {

enum class Received { Datagram, Nothing, Oversized, Failed };

// Takes one waiting datagram without waiting; `length` is set only for Datagram.
Received ReceiveOne(SOCKET socket, char* buffer, size_t capacity, size_t& length, NetPeer& from) {
    sockaddr_in sender{};
    int senderSize = sizeof sender;
    const int received =
        recvfrom(socket, buffer, static_cast<int>(capacity), 0, reinterpret_cast<sockaddr*>(&sender), &senderSize);
    if (received == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error == WSAEMSGSIZE) {
            // Longer than the buffer: the rest is gone with it, as MSG_TRUNC reports elsewhere.
            from = NetPeer{ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
            return Received::Oversized;
        }
        return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAECONNRESET ? Received::Nothing
                                                                                      : Received::Failed;
    }
    from = NetPeer{ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
    length = static_cast<size_t>(received);
    return Received::Datagram;
}

// SIO_UDP_CONNRESET: without it an ICMP "port unreachable" for an earlier datagram fails the next receive.
constexpr DWORD UDP_CONNRESET_CONTROL = _WSAIOW(IOC_VENDOR, 12);

} // namespace

std::optional<UdpSocket> UdpSocket::Open(uint16_t port, uint32_t bindAddress) {
    if (!StartWinsock()) {
        return std::nullopt;
    }
    const SOCKET descriptor = WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (descriptor == INVALID_SOCKET) {
        return std::nullopt;
    }
    UdpSocket owner(static_cast<SocketHandle>(descriptor), port);
    u_long nonBlocking = 1;
    if (ioctlsocket(descriptor, FIONBIO, &nonBlocking) != 0) {
        return std::nullopt;
    }
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    WSAIoctl(descriptor, UDP_CONNRESET_CONTROL, &reportReset, sizeof reportReset, nullptr, 0, &returned, nullptr,
             nullptr);
    BOOL exclusive = TRUE; // no other program may bind the same port beside us
    setsockopt(descriptor, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address = SocketAddress(bindAddress, port);
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return std::nullopt;
    }
    int size = sizeof address;
    if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return std::nullopt;
    }
    owner.m_Port = ntohs(address.sin_port);
    return owner;
}

void UdpSocket::Close() {
    if (m_Descriptor != NO_SOCKET) {
        closesocket(AsSocket(m_Descriptor));
        m_Descriptor = NO_SOCKET;
    }
    m_Port = 0;
}

bool UdpSocket::SetReceiveBuffer(int bytes) {
    return setsockopt(AsSocket(m_Descriptor), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                      sizeof bytes) == 0;
}

int UdpSocket::ReceiveBatch(char* buffer, size_t capacity, UdpDatagram* datagrams, int count) {
    // Windows has no batch receive for UDP: one call a datagram.
    int taken = 0;
    while (taken < count) {
        char* room = buffer + static_cast<size_t>(taken) * capacity;
        UdpDatagram& datagram = datagrams[taken];
        size_t length = 0;
        const Received received = ReceiveOne(AsSocket(m_Descriptor), room, capacity, length, datagram.m_From);
        if (received == Received::Nothing) {
            break;
        }
        if (received == Received::Failed) {
            return taken > 0 ? taken : -1;
        }
        datagram.m_Data = room;
        datagram.m_Oversized = received == Received::Oversized;
        datagram.m_Length = datagram.m_Oversized ? 0 : length;
        ++taken;
    }
    return taken;
}

bool UdpSocket::SendTo(const void* data, size_t length, const NetPeer& to) {
    const sockaddr_in address = SocketAddress(to.m_Address, to.m_Port);
    return sendto(AsSocket(m_Descriptor), static_cast<const char*>(data), static_cast<int>(length), 0,
                  reinterpret_cast<const sockaddr*>(&address), sizeof address) == static_cast<int>(length);
}

std::optional<uint32_t> UdpSocket::LookUpName(const char* host) {
    if (!StartWinsock()) {
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    const uint32_t address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return address;
}

} // namespace dravo
