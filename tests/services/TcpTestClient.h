// TcpTestClient: the client end of a loopback TCP connection in a test, every wait bounded.
#pragma once

#include "platform/net/TcpListener.h"
#include "support/FakeClock.h"
#include "support/TestSockets.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace dravo::test {

constexpr uint32_t TEST_LOOPBACK = 0x7F000001;

class TcpTestClient {
public:
    using Clock = std::chrono::steady_clock;

    explicit TcpTestClient(uint16_t port, uint32_t from = 0) {
        const test::sockets::Socket socket = test::sockets::ConnectFrom(port, from);
        if (socket != test::sockets::NO_SOCKET) {
            m_Stream = TcpStream(socket);
        }
    }
    bool IsOpen() const { return m_Stream.IsOpen(); }

    // Writes everything, waiting for room at most `limit`; false when the connection failed.
    bool Write(std::string_view bytes, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const auto end = Clock::now() + limit;
        while (!bytes.empty()) {
            const TcpStream::Io io = m_Stream.Write(bytes);
            if (io.m_Status == TcpStream::Status::Done) {
                bytes.remove_prefix(io.m_Bytes);
            } else if (io.m_Status != TcpStream::Status::WouldBlock || !Wait(false, end)) {
                return false;
            }
        }
        return true;
    }

    // Reads until `wanted` bytes have come in all, the server closed, or the limit passed.
    std::string Read(size_t wanted, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const auto end = Clock::now() + limit;
        while (m_Received.size() < wanted && !m_Closed) {
            char buffer[8192];
            const TcpStream::Io io = m_Stream.Read(buffer);
            if (io.m_Status == TcpStream::Status::Done) {
                m_Received.append(buffer, io.m_Bytes);
            } else if (io.m_Status == TcpStream::Status::WouldBlock) {
                if (!Wait(true, end)) {
                    break;
                }
            } else {
                m_Closed = true;
            }
        }
        return m_Received;
    }
    // Reads until the server closes the connection; false when it was still open at the limit.
    bool WaitForClose(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        (void)Read(SIZE_MAX, limit);
        return m_Closed;
    }
    // Waits for the server to close while `clock` runs, `stepMs` for every 10 ms waited: for a deadline
    // that starts when the server takes the connection, which the client cannot see.
    bool WaitForCloseWhileTimePasses(FakeClock& clock, uint32_t stepMs, int steps = 500) {
        for (int i = 0; i < steps && !m_Closed; ++i) {
            if (WaitReadable(std::chrono::milliseconds(10))) {
                (void)Read(SIZE_MAX, std::chrono::milliseconds(0));
            } else {
                clock.Advance(stepMs);
            }
        }
        return m_Closed;
    }
    // Waits at most `limit` for the server to say or do anything; true when it did.
    bool WaitReadable(std::chrono::milliseconds limit) { return Wait(true, Clock::now() + limit); }
    const std::string& Received() const { return m_Received; }
    bool Closed() const { return m_Closed; }
    void Close() { m_Stream.Close(); }

private:
    bool Wait(bool reading, Clock::time_point end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        PollEntry entry{m_Stream.Handle(), reading, !reading};
        return PollSockets({&entry, 1}, static_cast<int>(left)) > 0;
    }

    TcpStream m_Stream;
    std::string m_Received;
    bool m_Closed = false;
};

} // namespace dravo::test
