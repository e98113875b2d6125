// Queries from many loopback addresses, and the bare answerer.
#include "support/QueryLoad.h"

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dravo::test {

namespace {

constexpr uint32_t FIRST_SOURCE = 0x7F000002; // 127.0.0.2
constexpr uint32_t USABLE_PER_BLOCK = 254;    // .1 to .254 of each /24, except 127.0.0.1

int OpenUdp(uint32_t address, uint16_t port, uint16_t& bound) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int size = 4 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    local.sin_port = htons(port);
    socklen_t length = sizeof local;
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        close(fd);
        return -1;
    }
    bound = ntohs(local.sin_port);
    return fd;
}

} // namespace

QueryLoad::QueryLoad() {
    // Every address: answers come back to whichever 127.x source address a query used.
    m_Socket = OpenUdp(INADDR_ANY, 0, m_Port);
    const int on = 1;
    if (m_Socket >= 0) {
        setsockopt(m_Socket, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    }
}

QueryLoad::~QueryLoad() {
    if (m_Socket >= 0) {
        close(m_Socket);
    }
}

uint32_t QueryLoad::SourceAddress(uint32_t index) {
    // 127.0.0.2 .. 127.0.0.254, then 127.0.1.1 .. 127.0.1.254, ...
    const uint32_t position = index + 1; // 127.0.0.1 is position 0
    const uint32_t block = position / USABLE_PER_BLOCK;
    const uint32_t host = position % USABLE_PER_BLOCK + 1;
    return (FIRST_SOURCE & 0xFF000000u) | (block << 8) | host;
}

uint32_t QueryLoad::SourceIndex(uint32_t address) {
    const uint32_t block = (address >> 8) & 0xFFFF;
    const uint32_t host = address & 0xFF;
    return block * USABLE_PER_BLOCK + host - 1 - 1;
}

bool QueryLoad::SendFrom(uint16_t port, std::string_view query, uint32_t address) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    iovec data{const_cast<char*>(query.data()), query.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = htonl(address);
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    return sendmsg(m_Socket, &message, MSG_DONTWAIT) == static_cast<ssize_t>(query.size());
}

bool QueryLoad::ReceiveOne(int timeoutMs, const OnDatagram& onDatagram) {
    pollfd ready{m_Socket, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) != 1) {
        return false;
    }
    char buffer[8192];
    iovec data{buffer, sizeof buffer};
    alignas(cmsghdr) char control[256];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t received = recvmsg(m_Socket, &message, MSG_DONTWAIT);
    if (received < 0) {
        return false;
    }
    const auto arrived = Clock::now();
    uint32_t destination = 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    onDatagram(SourceIndex(destination), std::string_view(buffer, static_cast<size_t>(received)), arrived);
    return true;
}

void QueryLoad::Receive(Clock::time_point until, const OnDatagram& onDatagram) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) {
            ReceiveWaiting(onDatagram);
            return;
        }
        ReceiveOne(static_cast<int>(left), onDatagram);
    }
}

void QueryLoad::ReceiveWaiting(const OnDatagram& onDatagram) {
    while (ReceiveOne(0, onDatagram)) {
    }
}

BareAnswerer::BareAnswerer(std::vector<size_t> answerSizes) {
    const int fd = OpenUdp(INADDR_LOOPBACK, 0, m_Port);
    if (fd < 0) {
        return;
    }
    m_Pid = fork();
    if (m_Pid == 0) {
        std::vector<std::string> answers;
        // Same sizes as the real answer; the last datagram says \final\ as a real one does.
        for (size_t i = 0; i < answerSizes.size(); ++i) {
            const std::string mark = i + 1 == answerSizes.size() ? "\\final\\\\queryid\\" : "\\queryid\\";
            answers.emplace_back(std::max(answerSizes[i], mark.size()), 'a');
            answers.back().replace(0, mark.size(), mark);
        }
        char buffer[1024];
        for (;;) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t received =
                recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (received <= 0) {
                continue;
            }
            for (const std::string& answer : answers) {
                sendto(fd, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
            }
        }
    }
    close(fd);
}

BareAnswerer::~BareAnswerer() {
    if (m_Pid > 0) {
        kill(m_Pid, SIGKILL);
        waitpid(m_Pid, nullptr, 0);
    }
}

} // namespace dravo::test
