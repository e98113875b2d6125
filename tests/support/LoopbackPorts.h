// UDP ports on loopback for tests and benchmarks, leased: every test process of this machine takes its
// ports through a lock file of each port (under the temporary directory), which it holds until it ends,
// from a range below the system's ephemeral ports (32768 up), so that neither another test nor a
// client's socket can take one before the server binds it. No start needs to be made again.
#pragma once

#include <cstdint>

#include <sys/types.h>

namespace dravo::test {

// A UDP port of 127.0.0.1, leased to this process, that nothing holds and whose TCP twin a listener can
// bind (the remote console and the metrics may listen at the game port's number); 0 when none is left.
uint16_t FreeUdpPort();
// Two different candidates.
struct UdpPortPair {
    uint16_t m_First = 0;
    uint16_t m_Second = 0;
};
UdpPortPair FreeUdpPorts();
// True when some UDP socket of this network namespace is bound to the port (any address).
bool UdpPortInUse(uint16_t port);
// True when the process holds a UDP socket bound to the port.
bool HoldsUdpPort(pid_t pid, uint16_t port);

} // namespace dravo::test
