// QueryLoad: sends GameSpy queries from many loopback source addresses
// (127.0.0.2 and up, chosen per datagram with IP_PKTINFO, one socket) and
// receives the answers, telling which source address each answer came back to.
// For the query benchmarks and the flood tests (POSIX systems).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace dravo::test {

class QueryLoad {
public:
    using Clock = std::chrono::steady_clock;

    QueryLoad();
    ~QueryLoad();
    QueryLoad(const QueryLoad&) = delete;
    QueryLoad& operator=(const QueryLoad&) = delete;

    bool IsOpen() const { return m_Socket >= 0; }
    uint16_t Port() const { return m_Port; }
    // The n-th source address (0 = 127.0.0.2), in host byte order; never a .0 or .255.
    static uint32_t SourceAddress(uint32_t index);
    static uint32_t SourceIndex(uint32_t address);
    // Sends the query to 127.0.0.1:port from source address `index`.
    bool Send(uint16_t port, std::string_view query, uint32_t index) {
        return SendFrom(port, query, SourceAddress(index));
    }
    // Sends the query to 127.0.0.1:port from `address` (host byte order, any of 127.0.0.0/8).
    bool SendFrom(uint16_t port, std::string_view query, uint32_t address);
    // Receives every datagram until `until`, calling back with the source index it came back to.
    using OnDatagram = std::function<void(uint32_t index, std::string_view datagram, Clock::time_point arrived)>;
    void Receive(Clock::time_point until, const OnDatagram& onDatagram);
    // Receives only what is waiting now.
    void ReceiveWaiting(const OnDatagram& onDatagram);

private:
    bool ReceiveOne(int timeoutMs, const OnDatagram& onDatagram);

    int m_Socket = -1;
    uint16_t m_Port = 0;
};

// A bare answerer in a child process: for each datagram it receives on 127.0.0.1:<port>,
// it sends back the given datagram sizes. Stops when the object goes.
class BareAnswerer {
public:
    explicit BareAnswerer(std::vector<size_t> answerSizes);
    ~BareAnswerer();
    BareAnswerer(const BareAnswerer&) = delete;
    BareAnswerer& operator=(const BareAnswerer&) = delete;

    pid_t Pid() const { return m_Pid; }
    uint16_t Port() const { return m_Port; }

private:
    pid_t m_Pid = -1;
    uint16_t m_Port = 0;
};

} // namespace dravo::test
