// The owned UDP socket: what every platform shares.
#include "platform/UdpSocket.h"

#include <cstdio>

namespace dravo {

void UdpSocket::FormatAddress(uint32_t address, char* text, size_t size) {
    std::snprintf(text, size, "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu, (address >> 8) & 0xFFu,
                  address & 0xFFu);
}

} // namespace dravo
