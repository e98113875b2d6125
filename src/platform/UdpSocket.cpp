// The owned UDP socket: what every platform shares.
#include "platform/UdpSocket.h"

#include <cstdio>
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
    std::snprintf(text, size, "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu, (address >> 8) & 0xFFu,
                  address & 0xFFu);
}

} // namespace dravo
