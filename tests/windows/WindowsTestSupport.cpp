// What the POSIX child-process support gives the unit tests, on Windows: a free UDP port.
#include "platform/net/UdpSocket.h"
#include "support/LiveProcess.h"

namespace dravo::test {

uint16_t FreeUdpPort() {
    const std::optional<UdpSocket> socket = UdpSocket::Open(0);
    return socket ? socket->Port() : 0;
}

} // namespace dravo::test
