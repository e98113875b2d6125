// UdpSocket: an owned, non-blocking IPv4 UDP socket.
//
// Move-only; the descriptor is closed with its owner. Addresses and ports are in
// host byte order (NetAddress.h).
#pragma once

#include "platform/net/NetAddress.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace dravo {

// One datagram of a batch read (UdpSocket::ReceiveBatch).
struct UdpDatagram {
    const char* m_Data = nullptr; // within the caller's buffer
    size_t m_Length = 0;
    NetPeer m_From;
    bool m_Oversized = false; // longer than the room for it: consumed, m_Length 0
};

class UdpSocket {
public:
    UdpSocket() = default;
    // Binds to `port` (0 takes a free one) on `address` (host byte order; 0 is every local address);
    // empty when that fails.
    static std::optional<UdpSocket> Open(uint16_t port, uint32_t address = 0);

    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    ~UdpSocket();

    bool IsOpen() const { return m_Descriptor != NO_SOCKET; }
    // The system's handle, for a poll loop that waits on it beside other sockets (PollSockets).
    SocketHandle SystemHandle() const { return m_Descriptor; }
    uint16_t Port() const { return m_Port; }
    void Close();
    // Asks the system for a receive buffer of this many bytes; false when it refuses.
    bool SetReceiveBuffer(int bytes);

    // Takes up to `count` waiting datagrams without waiting, in one system call where the system has
    // one (recvmmsg): the i-th goes to buffer + i * capacity, so `buffer` holds count * capacity bytes.
    // Returns how many were taken: 0 when none waits, -1 on a failure.
    int ReceiveBatch(char* buffer, size_t capacity, UdpDatagram* datagrams, int count);
    [[nodiscard]] bool SendTo(const void* data, size_t length, const NetPeer& to);

    // The IPv4 address of a dotted address or host name (a name lookup may wait); empty when there is none.
    static std::optional<uint32_t> Resolve(const char* hostOrAddress);
    // The address of dotted text: four decimal parts of 0 to 255, nothing else; empty when it is not one.
    static std::optional<uint32_t> ParseAddress(const char* text);

private:
    UdpSocket(SocketHandle descriptor, uint16_t port) : m_Descriptor(descriptor), m_Port(port) {}
    int Fd() const { return static_cast<int>(m_Descriptor); } // POSIX systems
    // The system's name lookup, for a text that is no dotted address.
    static std::optional<uint32_t> LookUpName(const char* host);

    SocketHandle m_Descriptor = NO_SOCKET;
    uint16_t m_Port = 0;
};

} // namespace dravo
