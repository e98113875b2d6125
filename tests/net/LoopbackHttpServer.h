// LoopbackHttpServer: a tiny HTTP server on 127.0.0.1 for tests. It records each request's
// line and user agent, and either answers "200 OK" at once or holds the connection without
// answering until released (a server that hangs).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
        m_Listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (m_Listen < 0 || bind(m_Listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(m_Listen, 16) != 0 || getsockname(m_Listen, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
            pipe(m_Wake) != 0) {
            return;
        }
        m_Port = ntohs(address.sin_port);
        m_Thread = std::thread([this] { Run(); });
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
        for (int fd : {m_Listen, m_Wake[0], m_Wake[1]}) {
            if (fd >= 0) {
                close(fd);
            }
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
    // Hang mode: answers and closes the connections held so far.
    void Release() {
        {
            std::scoped_lock lock(m_Mutex);
            m_Releasing = true;
        }
        Wake();
    }

private:
    static constexpr size_t MAX_CLIENTS = 64;
    static constexpr size_t MAX_REQUEST = 16384;
    static constexpr std::string_view OK = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";

    void Wake() {
        const char byte = 1;
        (void)!write(m_Wake[1], &byte, 1);
    }

    void Run() {
        std::map<int, std::string> clients; // descriptor -> what it sent so far
        std::vector<int> held;
        for (;;) {
            std::vector<pollfd> watched{{m_Wake[0], POLLIN, 0}, {m_Listen, POLLIN, 0}};
            for (const auto& client : clients) {
                watched.push_back({client.first, POLLIN, 0});
            }
            int timeout = -1;
            if (!m_Due.empty()) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_Due.begin()->first -
                                                                               std::chrono::steady_clock::now());
                timeout = static_cast<int>(std::max<long long>(0, left.count()));
            }
            if (poll(watched.data(), watched.size(), timeout) < 0) {
                continue;
            }
            AnswerDue(clients);
            bool stopping = false;
            bool releasing = false;
            if (watched[0].revents != 0) {
                char bytes[64];
                (void)!read(m_Wake[0], bytes, sizeof bytes);
                std::scoped_lock lock(m_Mutex);
                stopping = m_Stopping;
                releasing = std::exchange(m_Releasing, false);
            }
            if (stopping) {
                break;
            }
            if (releasing) {
                for (int fd : held) {
                    (void)!write(fd, OK.data(), OK.size());
                    close(fd);
                    clients.erase(fd);
                }
                held.clear();
                continue;
            }
            if (watched[1].revents != 0 && clients.size() < MAX_CLIENTS) {
                const int client = accept4(m_Listen, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    clients[client];
                }
            }
            for (size_t i = 2; i < watched.size(); ++i) {
                if (watched[i].revents != 0) {
                    Serve(watched[i].fd, clients, held);
                }
            }
        }
        for (const auto& client : clients) {
            close(client.first);
        }
    }

    void Serve(int fd, std::map<int, std::string>& clients, std::vector<int>& held) {
        char buffer[4096];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        std::string& text = clients[fd];
        if (count <= 0 || text.size() > MAX_REQUEST) {
            std::erase(held, fd);
            close(fd);
            clients.erase(fd);
            return;
        }
        const bool complete = text.find("\r\n\r\n") != std::string::npos;
        text.append(buffer, static_cast<size_t>(count));
        if (complete || text.find("\r\n\r\n") == std::string::npos) {
            return;
        }
        Record(text);
        if (m_Mode == Mode::Hang) {
            held.push_back(fd);
            return;
        }
        if (m_Mode == Mode::Slow) {
            m_Due.emplace(std::chrono::steady_clock::now() + m_Delay, fd);
            return;
        }
        (void)!write(fd, OK.data(), OK.size());
        close(fd);
        clients.erase(fd);
    }

    // Slow mode: answers the requests whose delay is over.
    void AnswerDue(std::map<int, std::string>& clients) {
        const auto now = std::chrono::steady_clock::now();
        while (!m_Due.empty() && m_Due.begin()->first <= now) {
            const int fd = m_Due.begin()->second;
            m_Due.erase(m_Due.begin());
            if (clients.contains(fd)) {
                (void)!write(fd, OK.data(), OK.size());
                close(fd);
                clients.erase(fd);
            }
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
    std::multimap<std::chrono::steady_clock::time_point, int> m_Due; // slow answers, by when they are due
    int m_Listen = -1;
    int m_Wake[2] = {-1, -1};
    uint16_t m_Port = 0;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<Request> m_Requests;
    bool m_Stopping = false;
    bool m_Releasing = false;
    std::thread m_Thread;
};

} // namespace dravo::test
