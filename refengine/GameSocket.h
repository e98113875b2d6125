// GameSocket: the non-blocking UDP socket of the game port, owned.
//
// IPv4 only. Move-only; the descriptor is closed with the owner. Addresses
// and ports are in host byte order.
#pragma once

#include "ClientTable.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dravo::ref {

class GameSocket {
public:
    // Datagrams longer than this are dropped unread.
    static constexpr size_t MAX_RECEIVE = 2048;

    enum class Received { Datagram, Nothing, Dropped, Failed };

    // Opens and binds the socket; empty with `error` set when that fails (the port is taken, say).
    static std::optional<GameSocket> Open(uint32_t bindAddress, uint16_t port, std::string& error);

    GameSocket(GameSocket&& other) noexcept;
    GameSocket& operator=(GameSocket&& other) noexcept;
    GameSocket(const GameSocket&) = delete;
    GameSocket& operator=(const GameSocket&) = delete;
    ~GameSocket();

    uint16_t Port() const { return m_Port; }
    uint32_t BoundAddress() const { return m_BoundAddress; }

    // Takes one waiting datagram without waiting. Failed (with `error`) only for a fault of the socket itself.
    Received Receive(std::string& data, PeerAddress& from, std::string& error);
    [[nodiscard]] bool Send(std::string_view data, const PeerAddress& to);

    // Waits at most `limit` until one of the sockets has a datagram waiting (a signal may end it sooner).
    static void WaitForAny(std::span<const GameSocket* const> sockets, std::chrono::milliseconds limit);

    // The IPv4 address of dotted text ("127.0.0.1"); empty when it is not one.
    static std::optional<uint32_t> ParseAddress(const std::string& text);
    // The IPv4 address of a dotted address or host name; empty when there is none.
    static std::optional<uint32_t> Resolve(const char* hostOrAddress);
    // The machine's first IPv4 address that is up and not loopback; empty when there is none.
    static std::optional<uint32_t> FirstExternalAddress();
    static std::string AddressText(uint32_t address) {
        return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
               std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
    }

private:
    // The system's socket handle: a descriptor on POSIX systems, a SOCKET on Windows.
    using Handle = intptr_t;
    static constexpr Handle NO_HANDLE = -1;

    GameSocket(Handle descriptor, uint32_t boundAddress, uint16_t port)
        : m_Descriptor(descriptor), m_BoundAddress(boundAddress), m_Port(port) {}

    Handle m_Descriptor = NO_HANDLE;
    uint32_t m_BoundAddress = 0;
    uint16_t m_Port = 0;
};

} // namespace dravo::ref
