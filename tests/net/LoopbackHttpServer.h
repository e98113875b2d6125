// LoopbackHttpServer: a tiny HTTP server on 127.0.0.1 for tests. It records each request's
// line and user agent, and either answers "200 OK" at once or holds the connection without
// answering until released (a server that hangs).
#pragma once

#include "support/TestSockets.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace dravo::test {

class LoopbackHttpServer {
public:
    // Answer at once, never (until Release), or after the delay given with it.
    enum class Mode { Answer, Hang, Slow };

    struct Request {
        std::string m_Line;      // "GET /path?query HTTP/1.1"
        std::string m_UserAgent; // the User-Agent header's value
    };

    explicit LoopbackHttpServer(Mode mode = Mode::Answer, std::chrono::milliseconds delay = {})
        : m_Mode(mode), m_Delay(delay) {
        m_Listen = sockets::ListenOnLoopback(m_Port);
        if (m_Listen != sockets::NO_SOCKET) {
            m_Thread = std::thread([this] { Run(); });
        }
    }
    ~LoopbackHttpServer() {
        {
            std::scoped_lock lock(m_Mutex);
            m_Stopping = true;
        }
        Wake();
        if (m_Thread.joinable()) {
            m_Thread.join();
        }
        if (m_Listen != sockets::NO_SOCKET) {
            sockets::Close(m_Listen);
        }
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    uint16_t Port() const { return m_Port; }
    std::string Url(const std::string& path = "/servers/server.asp") const {
        return "http://127.0.0.1:" + std::to_string(m_Port) + path;
    }

    bool WaitForRequests(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, limit, [&] { return m_Requests.size() >= count; });
    }
    std::vector<Request> Requests() const {
        std::scoped_lock lock(m_Mutex);
        return m_Requests;
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const Request& request : Requests()) {
            lines.push_back(request.m_Line);
        }
        return lines;
    }
    // Forgets the requests recorded so far.
    void Clear() {
        std::scoped_lock lock(m_Mutex);
        m_Requests.clear();
    }
    // Hang mode: answers and closes the connections held so far.
    void Release() {
        {
            std::scoped_lock lock(m_Mutex);
            m_Releasing = true;
        }
        Wake();
    }

private:
    using Socket = sockets::Socket;
    static constexpr size_t MAX_CLIENTS = 64;
    static constexpr size_t MAX_REQUEST = 16384;
    static constexpr std::string_view OK = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";

    // The flags are set first: the knock on the listener makes the loop look at them.
    void Wake() { sockets::Knock(m_Port); }

    void Run() {
        std::map<Socket, std::string> clients; // connection -> what it sent so far
        std::vector<Socket> held;
        for (;;) {
            bool releasing = false;
            {
                std::scoped_lock lock(m_Mutex);
                if (m_Stopping) {
                    break;
                }
                releasing = std::exchange(m_Releasing, false);
            }
            if (releasing) {
                for (const Socket client : held) {
                    Answer(client, clients);
                }
                held.clear();
            }
            std::vector<Socket> watched{m_Listen};
            for (const auto& client : clients) {
                watched.push_back(client.first);
            }
            std::vector<bool> readable;
            sockets::WaitReadable(watched, readable, NextDueMs());
            AnswerDue(clients);
            if (readable[0] && clients.size() < MAX_CLIENTS) {
                const Socket client = sockets::Accept(m_Listen);
                if (client != sockets::NO_SOCKET) {
                    clients[client];
                }
            }
            for (size_t i = 1; i < watched.size(); ++i) {
                if (readable[i]) {
                    Serve(watched[i], clients, held);
                }
            }
        }
        for (const auto& client : clients) {
            sockets::Close(client.first);
        }
    }

    // How long the wait may last: until the next slow answer is due, or without a bound.
    int NextDueMs() const {
        if (m_Due.empty()) {
            return -1;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(m_Due.begin()->first - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<long long>(0, left.count()));
    }

    static void Answer(Socket client, std::map<Socket, std::string>& clients) {
        if (clients.erase(client) != 0) {
            sockets::SendAll(client, OK);
            sockets::Close(client);
        }
    }

    void Serve(Socket client, std::map<Socket, std::string>& clients, std::vector<Socket>& held) {
        char buffer[4096];
        const long count = sockets::Receive(client, buffer, sizeof buffer);
        std::string& text = clients[client];
        if (count <= 0 || text.size() > MAX_REQUEST) {
            std::erase(held, client);
            sockets::Close(client);
            clients.erase(client);
            return;
        }
        const bool complete = text.find("\r\n\r\n") != std::string::npos;
        text.append(buffer, static_cast<size_t>(count));
        if (complete || text.find("\r\n\r\n") == std::string::npos) {
            return;
        }
        Record(text);
        if (m_Mode == Mode::Hang) {
            held.push_back(client);
        } else if (m_Mode == Mode::Slow) {
            m_Due.emplace(std::chrono::steady_clock::now() + m_Delay, client);
        } else {
            Answer(client, clients);
        }
    }

    // Slow mode: answers the requests whose delay is over.
    void AnswerDue(std::map<Socket, std::string>& clients) {
        const auto now = std::chrono::steady_clock::now();
        while (!m_Due.empty() && m_Due.begin()->first <= now) {
            const Socket client = m_Due.begin()->second;
            m_Due.erase(m_Due.begin());
            Answer(client, clients);
        }
    }

    void Record(const std::string& text) {
        Request request;
        request.m_Line = text.substr(0, text.find("\r\n"));
        const std::string header = "\r\nUser-Agent: ";
        const size_t agent = text.find(header);
        if (agent != std::string::npos) {
            const size_t start = agent + header.size();
            request.m_UserAgent = text.substr(start, text.find("\r\n", start) - start);
        }
        std::scoped_lock lock(m_Mutex);
        m_Requests.push_back(std::move(request));
        m_Changed.notify_all();
    }

    const Mode m_Mode;
    const std::chrono::milliseconds m_Delay;
    std::multimap<std::chrono::steady_clock::time_point, Socket> m_Due; // slow answers, by when they are due
    Socket m_Listen = sockets::NO_SOCKET;
    uint16_t m_Port = 0;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<Request> m_Requests;
    bool m_Stopping = false;
    bool m_Releasing = false;
    std::thread m_Thread;
};

} // namespace dravo::test
