// NetAddress: what every socket of the program shares: the system's socket handle, the address of a
// peer (IPv4 address and port, both in host byte order), and an address as dotted text.
//
// An address becomes text only where text is needed (the engine's send call, the log).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dravo {

// A socket handle: a descriptor on POSIX systems, a SOCKET on Windows.
using SocketHandle = intptr_t;
constexpr SocketHandle NO_SOCKET = -1;

// A sender, destination or connected peer.
struct NetPeer {
    uint32_t m_Address = 0;
    uint16_t m_Port = 0;
};

// Room for a dotted address and its terminator.
constexpr size_t ADDRESS_TEXT_SIZE = 16;

// A dotted address, into at least ADDRESS_TEXT_SIZE characters (less is cut, always terminated). Cheap
// enough for every datagram that needs its sender as text.
void FormatAddress(uint32_t address, char* text, size_t size);
// The same as a string.
std::string FormatAddress(uint32_t address);

} // namespace dravo
