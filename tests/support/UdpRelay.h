// UdpRelay: a port mapping on loopback, as a NAT in front of the server makes one: datagrams that reach
// its outside port (leased) go on to the server's port from an inside socket, and what the server answers
// there goes back to the client that spoke last. One client at a time; every wait is bounded, and the
// relay stops with its destructor.
#pragma once

#include "support/LoopbackPorts.h"
#include "support/LoopbackSocket.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace dravo::test {

class UdpRelay {
public:
    static constexpr uint32_t LOOPBACK = 0x7F000001;

    // Maps `outside` (a port leased with FreeUdpPort, so that the server can be told it before the relay
    // runs) onto `target`.
    UdpRelay(uint16_t outside, uint16_t target)
        : m_Target(target), m_Outside(LOOPBACK, outside), m_Inside(LOOPBACK, 0), m_In([this] { Forward(); }),
          m_Out([this] { Back(); }) {}
    ~UdpRelay() {
        m_Stop = true;
        m_In.join();
        m_Out.join();
    }
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    bool IsOpen() const { return m_Target != 0 && m_Outside.IsOpen() && m_Inside.IsOpen(); }
    // The port clients send to: the "external" port.
    uint16_t Port() const { return m_Outside.Port(); }

private:
    static constexpr std::chrono::milliseconds TURN{50}; // how often a waiting thread looks at the stop

    void Forward() {
        while (!m_Stop) {
            if (auto datagram = m_Outside.Receive(TURN)) {
                m_ClientPort = datagram->m_FromPort;
                (void)m_Inside.SendTo(LOOPBACK, m_Target, datagram->m_Data);
            }
        }
    }
    void Back() {
        while (!m_Stop) {
            auto datagram = m_Inside.Receive(TURN);
            if (datagram && datagram->m_FromPort == m_Target && m_ClientPort != 0) {
                (void)m_Outside.SendTo(LOOPBACK, m_ClientPort, datagram->m_Data);
            }
        }
    }

    uint16_t m_Target;
    std::atomic<bool> m_Stop{false};
    std::atomic<uint16_t> m_ClientPort{0};
    LoopbackSocket m_Outside;
    LoopbackSocket m_Inside;
    std::thread m_In;
    std::thread m_Out;
};

} // namespace dravo::test
