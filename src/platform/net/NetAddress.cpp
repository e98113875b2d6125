// Addresses as dotted text.
#include "platform/net/NetAddress.h"

#include <algorithm>
#include <cstring>

namespace dravo {

void FormatAddress(uint32_t address, char* text, size_t size) {
    // By hand rather than with snprintf: the query path formats senders per datagram.
    char dotted[ADDRESS_TEXT_SIZE];
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

std::string FormatAddress(uint32_t address) {
    char text[ADDRESS_TEXT_SIZE];
    FormatAddress(address, text, sizeof text);
    return text;
}

} // namespace dravo
