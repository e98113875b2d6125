// SendHook: a way out for the query reporter's datagrams.
#pragma once

#include "platform/net/UdpSocket.h"

#include <cstddef>

namespace dravo {

class SendHook {
public:
    // Sends `length` bytes to `to`; true when the datagram went out.
    virtual bool SendDatagram(const char* data, size_t length, const NetPeer& to) = 0;

protected:
    ~SendHook() = default;
};

} // namespace dravo
