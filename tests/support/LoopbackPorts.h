// UDP ports on loopback for tests and benchmarks. A port nothing holds at the moment of asking is only
// a candidate: another program may bind it before the server does. A server started on a candidate is
// therefore checked for the ports it really holds, and started again on others when one was taken.
#pragma once

#include <cstdint>

#include <sys/types.h>

namespace dravo::test {

// A UDP port of 127.0.0.1 that the system handed out and that was let go again, and whose TCP twin a
// listener could bind at that moment: a candidate only.
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
