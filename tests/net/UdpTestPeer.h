// UdpTestPeer: a UDP socket on 127.0.0.1 for tests: sends datagrams and waits, with a bound, for answers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    explicit UdpTestPeer(uint16_t port = 0, const char* bindAddress = "127.0.0.1") {
        m_Descriptor = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = Address(port);
        inet_pton(AF_INET, bindAddress, &address.sin_addr);
        if (m_Descriptor < 0 || bind(m_Descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            return;
        }
        socklen_t size = sizeof address;
        getsockname(m_Descriptor, reinterpret_cast<sockaddr*>(&address), &size);
        m_Port = ntohs(address.sin_port);
        int buffer = 1 << 20;
        setsockopt(m_Descriptor, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    }
    ~UdpTestPeer() {
        if (m_Descriptor >= 0) {
            close(m_Descriptor);
        }
    }
    UdpTestPeer(const UdpTestPeer&) = delete;
    UdpTestPeer& operator=(const UdpTestPeer&) = delete;

    uint16_t Port() const { return m_Port; }
    bool IsOpen() const { return m_Port != 0; }

    bool SendTo(uint16_t port, std::string_view data) const {
        const sockaddr_in address = Address(port);
        return sendto(m_Descriptor, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&address),
                      sizeof address) == static_cast<ssize_t>(data.size());
    }

    struct Datagram {
        std::string m_Data;
        uint16_t m_FromPort = 0;
    };

    // The next datagram, waiting at most `limit`.
    std::optional<Datagram> Receive(std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
        pollfd ready{m_Descriptor, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(limit.count())) <= 0) {
            return std::nullopt;
        }
        char buffer[65536];
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t length =
            recvfrom(m_Descriptor, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (length < 0) {
            return std::nullopt;
        }
        return Datagram{std::string(buffer, static_cast<size_t>(length)), ntohs(from.sin_port)};
    }
    // Datagrams until one carries "\final\", at most `count` of them.
    std::vector<std::string> ReceiveAnswer(size_t count = 16,
                                           std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
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
    // Waits at most `limit` for a datagram at another descriptor (a socket under test).
    static bool WaitReadable(int descriptor, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        pollfd ready{descriptor, POLLIN, 0};
        return poll(&ready, 1, static_cast<int>(limit.count())) > 0;
    }

private:
    static sockaddr_in Address(uint16_t port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(LOOPBACK);
        address.sin_port = htons(port);
        return address;
    }

    int m_Descriptor = -1;
    uint16_t m_Port = 0;
};

} // namespace dravo::test
