// SendHook: where the query reporter sends its datagrams when it does not use its own socket.
#pragma once

#include <cstddef>

namespace dravo {

class SendHook {
public:
    // Sends `length` bytes to a dotted address or host name; true when the datagram went out.
    virtual bool SendDatagram(const char* data, size_t length, const char* address, int port) = 0;

protected:
    ~SendHook() = default;
};

} // namespace dravo
