// The owned UDP socket over BSD sockets.
#include "platform/net/UdpSocket.h"

#include "platform/net/SocketAddress_posix.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace dravo {

std::optional<UdpSocket> UdpSocket::Open(uint16_t port, uint32_t bindAddress) {
    const int descriptor = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return std::nullopt;
    }
    UdpSocket owner(descriptor, port);
    sockaddr_in address = SocketAddress(bindAddress, port);
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return std::nullopt;
    }
    socklen_t size = sizeof address;
    if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return std::nullopt;
    }
    owner.m_Port = ntohs(address.sin_port);
    return owner;
}

void UdpSocket::Close() {
    if (m_Descriptor != NO_SOCKET) {
        close(Fd());
        m_Descriptor = NO_SOCKET;
    }
    m_Port = 0;
}

bool UdpSocket::SetReceiveBuffer(int bytes) {
    return setsockopt(Fd(), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0;
}

int UdpSocket::ReceiveBatch(char* buffer, size_t capacity, UdpDatagram* datagrams, int count) {
    constexpr int MOST = 64;
    count = std::min(count, MOST);
    mmsghdr messages[MOST];
    iovec pieces[MOST];
    sockaddr_in senders[MOST];
    for (int i = 0; i < count; ++i) {
        pieces[i] = iovec{buffer + static_cast<size_t>(i) * capacity, capacity};
        senders[i] = sockaddr_in{};
        messages[i] = mmsghdr{};
        messages[i].msg_hdr.msg_name = &senders[i];
        messages[i].msg_hdr.msg_namelen = sizeof senders[i];
        messages[i].msg_hdr.msg_iov = &pieces[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    const int received = recvmmsg(Fd(), messages, static_cast<unsigned>(count), MSG_DONTWAIT, nullptr);
    if (received < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
    }
    for (int i = 0; i < received; ++i) {
        UdpDatagram& datagram = datagrams[i];
        datagram.m_Data = static_cast<const char*>(pieces[i].iov_base);
        datagram.m_From = NetPeer{ntohl(senders[i].sin_addr.s_addr), ntohs(senders[i].sin_port)};
        datagram.m_Oversized = (messages[i].msg_hdr.msg_flags & MSG_TRUNC) != 0;
        datagram.m_Length = datagram.m_Oversized ? 0 : messages[i].msg_len;
    }
    return received;
}

bool UdpSocket::SendTo(const void* data, size_t length, const NetPeer& to) {
    const sockaddr_in address = SocketAddress(to.m_Address, to.m_Port);
    return sendto(Fd(), data, length, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                  sizeof address) == static_cast<ssize_t>(length);
}

std::optional<uint32_t> UdpSocket::LookUpName(const char* host) {
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
