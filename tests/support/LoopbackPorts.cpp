// Candidate ports, and who holds a port, read from /proc.
#include "support/LoopbackPorts.h"

#include <arpa/inet.h>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/file.h>
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

// The leased range, below the ephemeral ports the system hands out (32768 to 60999 on Linux).
constexpr uint32_t LEASE_FIRST = 20000;
constexpr uint32_t LEASE_COUNT = 12000;

// True when a socket of `type` can bind 127.0.0.1 and the port now.
bool Bindable(int type, uint16_t port) {
    const int probe = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
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

// Takes the port's lease for the rest of this process (the lock file stays open), or nothing when another
// process holds it.
bool Lease(uint16_t port) {
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / "dravo-test-ports";
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    const std::string file = (directory / std::to_string(port)).string();
    const int descriptor = ::open(file.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return false;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return false;
    }
    if (!Bindable(SOCK_DGRAM, port) || !Bindable(SOCK_STREAM, port)) {
        ::close(descriptor); // held by something outside the tests: let it go
        return false;
    }
    return true;
}

} // namespace

uint16_t FreeUdpPort() {
    static std::mutex mutex;
    // Processes started together begin at different places, so that few leases are looked at twice.
    static uint32_t next = static_cast<uint32_t>(::getpid()) * 7919u;
    std::scoped_lock lock(mutex);
    for (uint32_t tried = 0; tried < LEASE_COUNT; ++tried) {
        const auto port = static_cast<uint16_t>(LEASE_FIRST + next++ % LEASE_COUNT);
        if (Lease(port)) {
            return port;
        }
    }
    return 0;
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
