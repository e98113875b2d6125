// The stand-in sidecar: one thread, poll, plain HTTP/1.1 with one request a connection (the watch stays).
#include "support/SdkStandIn.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace dravo::test {
namespace {

constexpr size_t MAX_CLIENTS = 64;
constexpr size_t MAX_REQUEST_BYTES = 256 * 1024;

void WriteAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t wrote = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (wrote <= 0) {
            return;
        }
        sent += static_cast<size_t>(wrote);
    }
}

std::string Chunk(const std::string& text) {
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", text.size());
    return size + text + "\r\n";
}

std::string StatusText(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 409:
        return "Conflict";
    case 503:
        return "Service Unavailable";
    default:
        return "Internal Server Error";
    }
}

// Splits "METHOD PATH HTTP/1.1\r\nheaders\r\n\r\n" and the body; false while incomplete.
bool ParseRequest(const std::string& received, SdkStandIn::Request& request, bool& complete) {
    complete = false;
    const size_t headerEnd = received.find("\r\n\r\n");
    if (headerEnd == std::string::npos) {
        return true;
    }
    const size_t lineEnd = received.find("\r\n");
    const std::string line = received.substr(0, lineEnd);
    const size_t space = line.find(' ');
    const size_t second = line.find(' ', space + 1);
    if (space == std::string::npos || second == std::string::npos) {
        return false;
    }
    request.m_Method = line.substr(0, space);
    request.m_Path = line.substr(space + 1, second - space - 1);
    std::string headers = received.substr(lineEnd, headerEnd - lineEnd);
    std::transform(headers.begin(), headers.end(), headers.begin(), [](unsigned char c) { return std::tolower(c); });
    size_t length = 0;
    const size_t field = headers.find("\r\ncontent-length:");
    if (field != std::string::npos) {
        length = std::strtoul(headers.c_str() + field + 17, nullptr, 10);
    }
    if (received.size() < headerEnd + 4 + length) {
        return true;
    }
    request.m_Body = received.substr(headerEnd + 4, length);
    complete = true;
    return true;
}

} // namespace

SdkStandIn::SdkStandIn(Behaviour behaviour) : m_Behaviour(behaviour) {}

SdkStandIn::~SdkStandIn() {
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

uint16_t SdkStandIn::FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    uint16_t port = 0;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        close(fd);
    }
    return port;
}

bool SdkStandIn::Start(uint16_t port) {
    m_Listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    setsockopt(m_Listen, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t size = sizeof address;
    if (m_Listen < 0 || bind(m_Listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_Listen, 32) != 0 || getsockname(m_Listen, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        pipe2(m_Wake, O_CLOEXEC) != 0) {
        return false;
    }
    m_Port = ntohs(address.sin_port);
    m_Thread = std::thread([this] { Run(); });
    return true;
}

void SdkStandIn::Wake() {
    if (m_Wake[1] >= 0) {
        const char byte = 1;
        (void)!write(m_Wake[1], &byte, 1);
    }
}

void SdkStandIn::Changed() {
    m_WatchDue = true;
    Noted();
    Wake();
}

void SdkStandIn::Noted() {
    ++m_Changes;
    m_ChangedCv.notify_all();
}

void SdkStandIn::Run() {
    std::map<int, Client> clients;
    for (;;) {
        std::vector<pollfd> watched{{m_Wake[0], POLLIN, 0}, {m_Listen, POLLIN, 0}};
        for (const auto& client : clients) {
            watched.push_back({client.first, POLLIN, 0});
        }
        if (poll(watched.data(), watched.size(), -1) < 0) {
            continue;
        }
        bool watchDue = false;
        if (watched[0].revents != 0) {
            char bytes[64];
            (void)!read(m_Wake[0], bytes, sizeof bytes);
            std::scoped_lock lock(m_Mutex);
            if (m_Stopping) {
                break;
            }
            watchDue = std::exchange(m_WatchDue, false);
        }
        if (watchDue) {
            std::unique_lock lock(m_Mutex);
            const std::string line = Chunk(GameServerJson() + "\n");
            lock.unlock();
            for (const auto& [fd, client] : clients) {
                if (client.m_Watching) {
                    WriteAll(fd, line);
                }
            }
        }
        if (watched[1].revents != 0 && clients.size() < MAX_CLIENTS) {
            const int fd = accept4(m_Listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                clients[fd];
            }
        }
        std::vector<int> closing;
        for (size_t index = 2; index < watched.size(); ++index) {
            if (watched[index].revents != 0) {
                Serve(watched[index].fd, clients[watched[index].fd], closing);
            }
        }
        for (int fd : closing) {
            close(fd);
            clients.erase(fd);
        }
    }
    for (const auto& client : clients) {
        close(client.first);
    }
}

void SdkStandIn::Serve(int fd, Client& client, std::vector<int>& closing) {
    char buffer[8192];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0 || client.m_Received.size() + static_cast<size_t>(got) > MAX_REQUEST_BYTES) {
        closing.push_back(fd);
        return;
    }
    if (client.m_Watching) {
        return; // nothing more is read from a watch
    }
    client.m_Received.append(buffer, static_cast<size_t>(got));
    Request request;
    bool complete = false;
    if (!ParseRequest(client.m_Received, request, complete)) {
        closing.push_back(fd);
        return;
    }
    if (!complete) {
        return;
    }
    client.m_Received.clear();
    request.m_Arrived = Clock::now();
    switch (m_Behaviour) {
    case Behaviour::Silent: {
        std::scoped_lock lock(m_Mutex);
        m_Requests.push_back(request);
        Noted();
        return; // the connection stays open, unanswered
    }
    case Behaviour::Garbage:
        WriteAll(fd, "\x01\x7f garbage, not HTTP\r\n\r\n{{{{");
        break;
    case Behaviour::Error500:
        WriteAll(fd, "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\nConnection: close\r\n\r\noops!");
        break;
    case Behaviour::Sdk: {
        bool watch = false;
        const Answer answer = Handle(request, watch);
        if (watch) {
            client.m_Watching = true;
            WriteAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n" +
                             Chunk(answer.m_Body + "\n"));
            return;
        }
        WriteAll(fd, "HTTP/1.1 " + std::to_string(answer.m_Status) + " " + StatusText(answer.m_Status) +
                         "\r\nContent-Type: application/json\r\nContent-Length: " +
                         std::to_string(answer.m_Body.size()) + "\r\nConnection: close\r\n\r\n" + answer.m_Body);
        break;
    }
    }
    if (m_Behaviour != Behaviour::Sdk) {
        std::scoped_lock lock(m_Mutex);
        m_Requests.push_back(request);
        Noted();
    }
    closing.push_back(fd);
}

void SdkStandIn::DefinePlayersList(int64_t capacity) {
    std::scoped_lock lock(m_Mutex);
    m_HasList = true;
    m_ListCapacity = capacity;
}

void SdkStandIn::EnablePlayerTracking() {
    std::scoped_lock lock(m_Mutex);
    m_Tracking = true;
}

void SdkStandIn::SetFailing(bool failing) {
    std::scoped_lock lock(m_Mutex);
    m_Failing = failing;
    Noted();
}

void SdkStandIn::RefuseWith(const std::string& path, int status) {
    std::scoped_lock lock(m_Mutex);
    if (status == 0) {
        m_RefuseWith.erase(path);
    } else {
        m_RefuseWith[path] = status;
    }
}

void SdkStandIn::AddListValue(const std::string& value) {
    std::scoped_lock lock(m_Mutex);
    m_ListValues.push_back(value);
    Changed();
}

void SdkStandIn::SetAddress(const std::string& address) {
    std::scoped_lock lock(m_Mutex);
    m_Address = address;
    Changed();
}

void SdkStandIn::Allocate(const std::string& annotation, const std::string& value) {
    std::scoped_lock lock(m_Mutex);
    m_State = "Allocated";
    if (!annotation.empty()) {
        m_Annotations[annotation] = value;
    }
    Changed();
}

std::vector<SdkStandIn::Request> SdkStandIn::Requests() const {
    std::scoped_lock lock(m_Mutex);
    return m_Requests;
}

size_t SdkStandIn::Count(const std::string& method, const std::string& path) const {
    std::scoped_lock lock(m_Mutex);
    return static_cast<size_t>(std::count_if(m_Requests.begin(), m_Requests.end(), [&](const Request& request) {
        return request.m_Method == method && request.m_Path == path;
    }));
}

std::string SdkStandIn::State() const {
    std::scoped_lock lock(m_Mutex);
    return m_State;
}

std::map<std::string, std::string> SdkStandIn::Labels() const {
    std::scoped_lock lock(m_Mutex);
    return m_Labels;
}

std::vector<std::string> SdkStandIn::ListValues() const {
    std::scoped_lock lock(m_Mutex);
    return m_ListValues;
}

int64_t SdkStandIn::ListCapacity() const {
    std::scoped_lock lock(m_Mutex);
    return m_ListCapacity;
}

std::set<std::string> SdkStandIn::TrackedPlayers() const {
    std::scoped_lock lock(m_Mutex);
    return m_Tracked;
}

int64_t SdkStandIn::TrackedCapacity() const {
    std::scoped_lock lock(m_Mutex);
    return m_TrackedCapacity;
}

bool SdkStandIn::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    std::unique_lock lock(m_Mutex);
    for (;;) {
        const uint64_t seen = m_Changes;
        lock.unlock();
        if (done()) {
            return true;
        }
        lock.lock();
        if (!m_ChangedCv.wait_until(lock, deadline, [&] { return m_Changes != seen; })) {
            lock.unlock();
            return done();
        }
    }
}

bool SdkStandIn::WaitForCount(const std::string& method, const std::string& path, size_t count,
                              std::chrono::milliseconds limit) {
    return WaitFor([&] { return Count(method, path) >= count; }, limit);
}

} // namespace dravo::test
