// The owned UDP socket: what every platform shares.
#include "platform/net/UdpSocket.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

namespace dravo {

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : m_Descriptor(std::exchange(other.m_Descriptor, NO_SOCKET)), m_Port(std::exchange(other.m_Port, 0)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        m_Descriptor = std::exchange(other.m_Descriptor, NO_SOCKET);
        m_Port = std::exchange(other.m_Port, 0);
    }
    return *this;
}

UdpSocket::~UdpSocket() {
    Close();
}

std::optional<uint32_t> UdpSocket::ParseAddress(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    const char* at = text;
    const char* end = text + strnlen(text, ADDRESS_TEXT_SIZE);
    uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (at == end || *at++ != '.')) {
            return std::nullopt;
        }
        // One to three digits, no sign, no leading zero (as inet_pton reads them), at most 255.
        unsigned value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        const auto digits = next - at;
        if (error != std::errc() || digits == 0 || digits > 3 || (digits > 1 && *at == '0') || value > 255) {
            return std::nullopt;
        }
        address = address << 8 | value;
        at = next;
    }
    return at == end && *end == '\0' ? std::optional<uint32_t>(address) : std::nullopt;
}

std::optional<uint32_t> UdpSocket::Resolve(const char* hostOrAddress) {
    if (hostOrAddress == nullptr || hostOrAddress[0] == '\0') {
        return std::nullopt;
    }
    if (const std::optional<uint32_t> dotted = ParseAddress(hostOrAddress)) {
        return dotted;
    }
    return LookUpName(hostOrAddress);
}

} // namespace dravo
