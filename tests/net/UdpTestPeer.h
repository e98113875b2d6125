// UdpTestPeer: a UDP socket on 127.0.0.1 for tests: sends datagrams and waits, with a bound, for answers.
#pragma once

#include "platform/UdpSocket.h"

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
    static constexpr size_t MAX_DATAGRAM = 65536;

    // Binds `bindAddress` (a loopback address) on `port` (0: a free one).
    explicit UdpTestPeer(uint16_t port = 0, const char* bindAddress = "127.0.0.1") {
        const std::optional<uint32_t> address = UdpSocket::ParseAddress(bindAddress);
        std::optional<UdpSocket> socket = address ? UdpSocket::Open(port, *address) : std::nullopt;
        if (socket) {
            m_Socket = std::move(*socket);
            (void)m_Socket.SetReceiveBuffer(1 << 20);
        }
    }
    UdpTestPeer(const UdpTestPeer&) = delete;
    UdpTestPeer& operator=(const UdpTestPeer&) = delete;

    uint16_t Port() const { return m_Socket.Port(); }
    bool IsOpen() const { return m_Socket.IsOpen(); }

    bool SendTo(uint16_t port, std::string_view data) {
        return m_Socket.SendTo(data.data(), data.size(), UdpPeer{LOOPBACK, port});
    }

    struct Datagram {
        std::string m_Data;
        uint16_t m_FromPort = 0;
    };

    // The next datagram, waiting at most `limit`.
    std::optional<Datagram> Receive(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        if (!m_Socket.WaitReadable(limit)) {
            return std::nullopt;
        }
        std::string buffer(MAX_DATAGRAM, '\0');
        size_t length = 0;
        UdpPeer from;
        if (m_Socket.Receive(buffer.data(), buffer.size(), length, from) != UdpSocket::Received::Datagram) {
            return std::nullopt;
        }
        buffer.resize(length);
        return Datagram{std::move(buffer), from.m_Port};
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
    // Waits at most `limit` for a datagram at another socket (a socket under test).
    static bool WaitReadable(const UdpSocket& socket, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return socket.WaitReadable(limit);
    }

private:
    UdpSocket m_Socket;
};

} // namespace dravo::test
