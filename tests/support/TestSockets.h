// TestSockets: the few TCP calls the tests' loopback servers make, one file per platform
// (support/TestSockets_posix.cpp, windows/TestSockets_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace dravo::test::sockets {

using Socket = intptr_t;
constexpr Socket NO_SOCKET = -1;

// A TCP listener on 127.0.0.1 and a free port (set in `port`), or NO_SOCKET.
Socket ListenOnLoopback(uint16_t& port);
// The next connection of a listener that is readable, or NO_SOCKET.
Socket Accept(Socket listener);
// Bytes read into `buffer`; 0 at the end of the stream, less on an error.
long Receive(Socket socket, char* buffer, size_t size);
void SendAll(Socket socket, std::string_view bytes);
void Close(Socket socket);
// A connection to 127.0.0.1:port from `from` (host byte order; 0: the system's choice), made waiting
// and then turned non-blocking, without send delay; NO_SOCKET on failure.
Socket ConnectFrom(uint16_t port, uint32_t from);
// Connects to 127.0.0.1:port and closes at once: a listener's wake-up.
void Knock(uint16_t port);
// Waits at most `timeoutMs` (-1: without a bound) until one of `sockets` is readable; `readable` says which.
void WaitReadable(const std::vector<Socket>& sockets, std::vector<bool>& readable, int timeoutMs);

} // namespace dravo::test::sockets
