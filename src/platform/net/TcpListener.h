// TcpListener and TcpStream: owned, non-blocking IPv4 TCP sockets for a service's own poll loop.
//
// Move-only; each handle is closed with its owner. Addresses are IPv4 in host byte order, ports in host
// byte order. One thread drives a listener and its streams; PollSockets waits on any of them (and on a
// UdpSocket, the loop's wake-up) with a bound.
#pragma once

#include "platform/net/NetAddress.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace dravo {

class TcpStream {
public:
    enum class Status { Done, WouldBlock, Closed, Failed };
    struct Io {
        Status m_Status = Status::Failed;
        size_t m_Bytes = 0; // moved by the call (Done only)
    };

    TcpStream() = default;
    explicit TcpStream(SocketHandle handle) : m_Handle(handle) {}
    TcpStream(TcpStream&& other) noexcept;
    TcpStream& operator=(TcpStream&& other) noexcept;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;
    ~TcpStream();

    bool IsOpen() const { return m_Handle != NO_SOCKET; }
    SocketHandle Handle() const { return m_Handle; }
    // Reads what is waiting, up to the buffer's size, without waiting; Closed when the peer ended.
    Io Read(std::span<char> buffer);
    // Writes what the system takes now, without waiting.
    Io Write(std::span<const char> data);
    // Ends the stream at once; what is unsent is dropped (a reset rather than an orderly end).
    void Close();

private:
    SocketHandle m_Handle = NO_SOCKET;
};

class TcpListener {
public:
    TcpListener() = default;
    // Listens on `address`:`port` (0 takes a free port); empty with the system's reason on failure.
    static std::optional<TcpListener> Open(uint32_t address, uint16_t port, std::string& error);

    TcpListener(TcpListener&& other) noexcept;
    TcpListener& operator=(TcpListener&& other) noexcept;
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;
    ~TcpListener();

    bool IsOpen() const { return m_Handle != NO_SOCKET; }
    SocketHandle Handle() const { return m_Handle; }
    uint16_t Port() const { return m_Port; }
    // Takes one waiting connection, non-blocking and without send delay; empty when none waits or it
    // failed, and then `outOfDescriptors` tells whether the system had no descriptor (or memory) for it:
    // the connection still waits, and the listener stays readable.
    std::optional<TcpStream> Accept(NetPeer& peer, bool& outOfDescriptors);
    void Close();

private:
    TcpListener(SocketHandle handle, uint16_t port) : m_Handle(handle), m_Port(port) {}

    SocketHandle m_Handle = NO_SOCKET;
    uint16_t m_Port = 0;
};

// One socket to wait on, and what it became.
struct PollEntry {
    SocketHandle m_Handle = NO_SOCKET;
    bool m_WantRead = false;
    bool m_WantWrite = false;
    bool m_Readable = false; // out: data, a connection to accept, or the end (reading tells which)
    bool m_Writable = false; // out
    bool m_Failed = false;   // out: an error or hang-up; reading or writing tells the rest
};

// Waits until one of the entries is ready or `timeoutMs` passes (-1 waits without a bound); returns how
// many are ready, -1 on a failure.
int PollSockets(std::span<PollEntry> entries, int timeoutMs);

} // namespace dravo
