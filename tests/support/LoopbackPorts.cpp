// Candidate ports, and who holds a port, read from /proc.
#include "support/LoopbackPorts.h"

#include <arpa/inet.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace dravo::test {
namespace {

// The socket inodes of the UDP sockets bound to the port, from a /proc/.../net/udp or udp6 table.
// A row: "sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode ...",
// the local address as hexadecimal "ADDRESS:PORT".
std::set<unsigned long> BoundInodes(const std::filesystem::path& table, uint16_t port) {
    std::set<unsigned long> inodes;
    std::ifstream rows(table);
    std::string row;
    std::getline(rows, row); // the heading
    while (std::getline(rows, row)) {
        std::istringstream fields(row);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
        unsigned long inode = 0;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >>
              inode)) {
            continue;
        }
        const size_t colon = local.rfind(':');
        if (colon != std::string::npos && std::stoul(local.substr(colon + 1), nullptr, 16) == port) {
            inodes.insert(inode);
        }
    }
    return inodes;
}

// The same for both tables of the network namespace that a /proc/<pid> directory sees.
std::set<unsigned long> BoundInodesSeenBy(const std::filesystem::path& procRoot, uint16_t port) {
    std::set<unsigned long> inodes = BoundInodes(procRoot / "net/udp", port);
    inodes.merge(BoundInodes(procRoot / "net/udp6", port));
    return inodes;
}

// A UDP port of 127.0.0.1 that the system hands out; 0 when it hands none.
uint16_t ProbeUdpPort() {
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(probe);
    return port;
}

// True when a TCP listener could bind 127.0.0.1 and the port as the server's does (SO_REUSEADDR). A
// client's connection that ended keeps its port in TIME_WAIT for a minute without that option, and
// the ephemeral ports of TCP clients and of UDP probes come from one range.
bool TcpPortBindable(uint16_t port) {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(probe, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool bound = ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return bound;
}

} // namespace

uint16_t FreeUdpPort() {
    // The server's remote console and metrics may listen on TCP at the game port's number.
    constexpr int ATTEMPTS = 50;
    uint16_t port = ProbeUdpPort();
    for (int attempt = 1; attempt < ATTEMPTS && port != 0 && !TcpPortBindable(port); ++attempt) {
        port = ProbeUdpPort();
    }
    return port;
}

UdpPortPair FreeUdpPorts() {
    UdpPortPair pair{FreeUdpPort(), FreeUdpPort()};
    while (pair.m_Second == pair.m_First) {
        pair.m_Second = FreeUdpPort();
    }
    return pair;
}

bool UdpPortInUse(uint16_t port) {
    return !BoundInodesSeenBy("/proc/self", port).empty();
}

bool HoldsUdpPort(pid_t pid, uint16_t port) {
    const std::filesystem::path root = "/proc/" + std::to_string(pid);
    const std::set<unsigned long> bound = BoundInodesSeenBy(root, port);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root / "fd", error)) {
        std::error_code unreadable;
        const std::string target = std::filesystem::read_symlink(entry.path(), unreadable).string();
        unsigned long inode = 0;
        if (!unreadable && std::sscanf(target.c_str(), "socket:[%lu]", &inode) == 1 && bound.contains(inode)) {
            return true;
        }
    }
    return false;
}

} // namespace dravo::test
