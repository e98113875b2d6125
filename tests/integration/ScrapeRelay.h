// ScrapeRelay: a loopback TCP relay between Prometheus and the server's metrics endpoint that counts the
// scrapes that went through whole, so that a test waits for the next scrape instead of asking Prometheus
// again and again. One scrape at a time, as Prometheus makes them; every wait is bounded.
#pragma once

#include "support/TestSockets.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace dravo::test {

class ScrapeRelay {
public:
    explicit ScrapeRelay(uint16_t target) : m_Target(target) {
        m_Listener = sockets::ListenOnLoopback(m_Port);
        m_Thread = std::thread([this] { Run(); });
    }
    ~ScrapeRelay() {
        m_Stop = true;
        sockets::Knock(m_Port);
        m_Thread.join();
        sockets::Close(m_Listener);
    }
    ScrapeRelay(const ScrapeRelay&) = delete;
    ScrapeRelay& operator=(const ScrapeRelay&) = delete;

    uint16_t Port() const { return m_Port; }
    uint64_t Scrapes() {
        std::scoped_lock lock(m_Mutex);
        return m_Scrapes;
    }
    // Waits until more than `seen` scrapes went through, until `end` at most; false when none came.
    bool WaitForScrapeAfter(uint64_t seen, std::chrono::steady_clock::time_point end) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_until(lock, end, [&] { return m_Scrapes > seen; });
    }

private:
    static constexpr int PASS_MS = 5000;

    void Run() {
        std::vector<bool> readable;
        while (!m_Stop) {
            sockets::WaitReadable({m_Listener}, readable, -1);
            const sockets::Socket scraper = sockets::Accept(m_Listener);
            if (scraper == sockets::NO_SOCKET) {
                continue;
            }
            if (!m_Stop && Relay(scraper)) {
                std::scoped_lock lock(m_Mutex);
                ++m_Scrapes;
                m_Changed.notify_all();
            }
            sockets::Close(scraper);
        }
    }
    // Passes the request on and the answer back; true when the endpoint answered and closed.
    bool Relay(sockets::Socket scraper) {
        const sockets::Socket endpoint = sockets::ConnectFrom(m_Target, 0);
        if (endpoint == sockets::NO_SOCKET) {
            return false;
        }
        bool answered = false;
        std::vector<bool> readable;
        char buffer[16384];
        for (bool open = true; open && !m_Stop;) {
            sockets::WaitReadable({scraper, endpoint}, readable, PASS_MS);
            if (!readable[0] && !readable[1]) {
                break; // stuck: the scrape failed
            }
            if (readable[0]) {
                const long got = sockets::Receive(scraper, buffer, sizeof buffer);
                open = got > 0;
                if (open) {
                    sockets::SendAll(endpoint, std::string_view(buffer, static_cast<size_t>(got)));
                }
            }
            if (open && readable[1]) {
                const long got = sockets::Receive(endpoint, buffer, sizeof buffer);
                answered = got == 0;
                open = got > 0;
                if (open) {
                    sockets::SendAll(scraper, std::string_view(buffer, static_cast<size_t>(got)));
                }
            }
        }
        sockets::Close(endpoint);
        return answered;
    }

    uint16_t m_Target;
    uint16_t m_Port = 0;
    sockets::Socket m_Listener = sockets::NO_SOCKET;
    std::atomic<bool> m_Stop{false};
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    uint64_t m_Scrapes = 0; // guarded by m_Mutex
    std::thread m_Thread;
};

} // namespace dravo::test
