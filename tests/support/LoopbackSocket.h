// LoopbackSocket: a UDP socket of the tests' own on a loopback address, which
// waits with a bound for what arrives. The program's sockets never wait; the
// peers that talk to it in tests do. One file per platform beside this header.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravo::test {

class LoopbackSocket {
public:
    struct Datagram {
        std::string m_Data;
        uint32_t m_FromAddress = 0;
        uint16_t m_FromPort = 0;
    };

    // Binds `address` (host byte order) on `port` (0: a free one); IsOpen says whether that worked.
    LoopbackSocket(uint32_t address, uint16_t port);
    ~LoopbackSocket();
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    bool IsOpen() const { return m_Handle != NO_HANDLE; }
    uint16_t Port() const { return m_Port; }
    bool SendTo(uint32_t address, uint16_t port, std::string_view data);
    // The next datagram (up to 64 KiB), waiting at most `limit` for it; empty when none came.
    std::optional<Datagram> Receive(std::chrono::milliseconds limit);

private:
    static constexpr intptr_t NO_HANDLE = -1;

    intptr_t m_Handle = NO_HANDLE;
    uint16_t m_Port = 0;
};

} // namespace dravo::test
