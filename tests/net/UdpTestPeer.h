// UdpTestPeer: a UDP socket on a loopback address for tests: sends datagrams and waits, with a bound, for
// answers.
#pragma once

#include "platform/net/UdpSocket.h"
#include "support/LoopbackSocket.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo::test {

class UdpTestPeer {
public:
    static constexpr uint32_t LOOPBACK = 0x7F000001;

    // Binds `bindAddress` (a loopback address) on `port` (0: a free one).
    explicit UdpTestPeer(uint16_t port = 0, const char* bindAddress = "127.0.0.1")
        : m_Socket(UdpSocket::ParseAddress(bindAddress).value_or(LOOPBACK), port) {}

    uint16_t Port() const { return m_Socket.Port(); }
    bool IsOpen() const { return m_Socket.IsOpen(); }

    bool SendTo(uint16_t port, std::string_view data) { return m_Socket.SendTo(LOOPBACK, port, data); }

    struct Datagram {
        std::string m_Data;
        uint16_t m_FromPort = 0;
    };

    // The next datagram, waiting at most `limit`.
    std::optional<Datagram> Receive(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::optional<LoopbackSocket::Datagram> datagram = m_Socket.Receive(limit);
        if (!datagram) {
            return std::nullopt;
        }
        return Datagram{std::move(datagram->m_Data), datagram->m_FromPort};
    }
    // Datagrams until one carries "\final\", at most `count` of them.
    std::vector<std::string> ReceiveAnswer(size_t count = 16,
                                           std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::vector<std::string> packets;
        while (packets.size() < count) {
            const auto datagram = Receive(limit);
            if (!datagram) {
                break;
            }
            packets.push_back(datagram->m_Data);
            if (datagram->m_Data.find("\\final\\") != std::string::npos) {
                break;
            }
        }
        return packets;
    }

private:
    LoopbackSocket m_Socket;
};

} // namespace dravo::test
