// IsolatedNetwork: moves the test process (and every program it starts later) into a network of its
// own, with only a loopback interface, and a name service of the test's own on it.
//
// Needs the right to make namespaces (root, as the CI runs); a test skips itself where that is not
// given. Each test runs in a process of its own, so nothing leaks into the next one.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace dravo::test {

// A network namespace with its loopback up and a mount namespace in which resolvConf stands in for
// /etc/resolv.conf. False with the reason when the system refuses.
inline bool EnterIsolatedNetwork(const std::filesystem::path& resolvConf, std::string& why) {
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) {
        why = std::string("unshare: ") + std::strerror(errno);
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(resolvConf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) {
        why = std::string("mount: ") + std::strerror(errno);
        return false;
    }
    const int control = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = control >= 0 && ioctl(control, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags |= IFF_UP, ioctl(control, SIOCSIFFLAGS, &request) == 0);
    if (control >= 0) {
        close(control);
    }
    if (!up) {
        why = "the loopback interface did not come up";
    }
    return up;
}

// A name server on 127.0.0.1:53 that says nothing until told to, then answers every A question with
// 127.0.0.1.
class TestNameServer {
public:
    TestNameServer() {
        m_Socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_Socket < 0 || bind(m_Socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            return;
        }
        timeval wait{0, 50000};
        setsockopt(m_Socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        m_Thread = std::thread([this] { Run(); });
    }
    ~TestNameServer() {
        m_Stop = true;
        if (m_Thread.joinable()) {
            m_Thread.join();
        }
        if (m_Socket >= 0) {
            close(m_Socket);
        }
    }
    TestNameServer(const TestNameServer&) = delete;
    TestNameServer& operator=(const TestNameServer&) = delete;

    bool IsOpen() const { return m_Thread.joinable(); }
    void StartAnswering() { m_Answering = true; }
    int Questions() const { return m_Questions; }

private:
    void Run() {
        unsigned char query[512];
        while (!m_Stop) {
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t length =
                recvfrom(m_Socket, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&from), &size);
            if (length < 12) {
                continue;
            }
            ++m_Questions;
            if (!m_Answering) {
                continue; // a name service that does not answer
            }
            // The question ends after its name (labels to a zero byte) and four bytes of type and class.
            size_t at = 12;
            while (at < static_cast<size_t>(length) && query[at] != 0) {
                at += query[at] + 1u;
            }
            const size_t questionEnd = at + 5;
            if (questionEnd > static_cast<size_t>(length)) {
                continue;
            }
            const bool isA = query[at + 1] == 0 && query[at + 2] == 1;
            unsigned char answer[600];
            std::memcpy(answer, query, questionEnd);
            answer[2] = 0x81; // an answer, recursion desired
            answer[3] = 0x80; // recursion available, no error
            answer[6] = 0;
            answer[7] = isA ? 1 : 0; // one answer for A, none for anything else (AAAA)
            answer[8] = answer[9] = answer[10] = answer[11] = 0;
            size_t end = questionEnd;
            if (isA) {
                const unsigned char record[] = {0xC0, 0x0C, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 127, 0, 0, 1};
                std::memcpy(answer + end, record, sizeof record);
                end += sizeof record;
            }
            (void)sendto(m_Socket, answer, end, 0, reinterpret_cast<sockaddr*>(&from), size);
        }
    }

    int m_Socket = -1;
    std::thread m_Thread;
    std::atomic<bool> m_Stop{false};
    std::atomic<bool> m_Answering{false};
    std::atomic<int> m_Questions{0};
};

} // namespace dravo::test
