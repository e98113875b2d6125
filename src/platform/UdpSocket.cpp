// The owned UDP socket: what every platform shares.
#include "platform/UdpSocket.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace dravo {

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : m_Descriptor(std::exchange(other.m_Descriptor, NO_HANDLE)), m_Port(std::exchange(other.m_Port, 0)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        m_Descriptor = std::exchange(other.m_Descriptor, NO_HANDLE);
        m_Port = std::exchange(other.m_Port, 0);
    }
    return *this;
}

UdpSocket::~UdpSocket() {
    Close();
}

void UdpSocket::FormatAddress(uint32_t address, char* text, size_t size) {
    // By hand rather than with snprintf: the query reader formats the sender of every datagram it takes.
    char dotted[16];
    size_t at = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned part = (address >> shift) & 0xFFu;
        if (part >= 100) {
            dotted[at++] = static_cast<char>('0' + part / 100);
        }
        if (part >= 10) {
            dotted[at++] = static_cast<char>('0' + part / 10 % 10);
        }
        dotted[at++] = static_cast<char>('0' + part % 10);
        dotted[at++] = shift == 0 ? '\0' : '.';
    }
    if (size > 0) {
        const size_t copied = std::min(at, size) - 1;
        std::memcpy(text, dotted, copied);
        text[copied] = '\0';
    }
}

} // namespace dravo
