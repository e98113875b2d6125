// UdpSocket: an owned, non-blocking IPv4 UDP socket, and the address value that
// travels from a datagram's receipt to its answer.
//
// Move-only; the descriptor is closed with its owner. Addresses and ports are in
// host byte order. An address becomes text only where text is needed (the
// engine's send call, the log): FormatAddress.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace dravo {

// A sender or destination: IPv4 address (host byte order) and port.
struct UdpPeer {
    uint32_t m_Address = 0;
    uint16_t m_Port = 0;
};

// One datagram of a batch read (UdpSocket::ReceiveBatch).
struct UdpDatagram {
    const char* m_Data = nullptr; // within the caller's buffer
    size_t m_Length = 0;
    UdpPeer m_From;
    bool m_Oversized = false; // longer than the room for it: consumed, m_Length 0
};

class UdpSocket {
public:
    // Room for a dotted address and its terminator.
    static constexpr size_t ADDRESS_TEXT_SIZE = 16;

    UdpSocket() = default;
    // Binds to `port` (0 takes a free one) on `address` (host byte order; 0 is every local address);
    // empty when that fails.
    static std::optional<UdpSocket> Open(uint16_t port, uint32_t address = 0);

    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    ~UdpSocket();

    bool IsOpen() const { return m_Descriptor != NO_HANDLE; }
    // The system's handle, for a poll loop that waits on it beside other sockets (PollSockets).
    intptr_t SystemHandle() const { return m_Descriptor; }
    uint16_t Port() const { return m_Port; }
    void Close();
    // Asks the system for a receive buffer of this many bytes; false when it refuses.
    bool SetReceiveBuffer(int bytes);

    // Takes up to `count` waiting datagrams without waiting, in one system call where the system has
    // one (recvmmsg): the i-th goes to buffer + i * capacity, so `buffer` holds count * capacity bytes.
    // Returns how many were taken: 0 when none waits, -1 on a failure.
    int ReceiveBatch(char* buffer, size_t capacity, UdpDatagram* datagrams, int count);
    [[nodiscard]] bool SendTo(const void* data, size_t length, const UdpPeer& to);

    // The IPv4 address of a dotted address or host name (a name lookup may wait); empty when there is none.
    static std::optional<uint32_t> Resolve(const char* hostOrAddress);
    // A dotted address, into at least ADDRESS_TEXT_SIZE characters (less is cut, always terminated).
    static void FormatAddress(uint32_t address, char* text, size_t size);
    // The address of dotted text: four decimal parts of 0 to 255, nothing else; empty when it is not one.
    static std::optional<uint32_t> ParseAddress(const char* text);

private:
    // The system's handle: a descriptor on POSIX systems, a SOCKET on Windows.
    using Handle = intptr_t;
    static constexpr Handle NO_HANDLE = -1;

    UdpSocket(Handle descriptor, uint16_t port) : m_Descriptor(descriptor), m_Port(port) {}
    int Fd() const { return static_cast<int>(m_Descriptor); } // POSIX systems
    // The system's name lookup, for a text that is no dotted address.
    static std::optional<uint32_t> LookUpName(const char* host);

    Handle m_Descriptor = NO_HANDLE;
    uint16_t m_Port = 0;
};

} // namespace dravo
