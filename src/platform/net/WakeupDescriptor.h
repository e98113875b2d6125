// The wake-up descriptor: the one way a thread that waits in a poll (the terminal face's loop, a TCP
// service's loop) is woken from any other thread. It is a socket handle that PollSockets (and poll on POSIX
// systems) waits on beside the loop's other handles: an eventfd on Linux, a loopback UDP socket that sends to
// itself on Windows. Every call accepts NO_SOCKET and then does nothing.
#pragma once

#include "platform/net/NetAddress.h"

namespace dravo {

// A new descriptor, unreadable; NO_SOCKET when the system has none to give.
SocketHandle CreateWakeupDescriptor();
// Makes it readable, from any thread; one that is already readable stays so. Never blocks.
void SignalWakeupDescriptor(SocketHandle wakeup);
// Makes it unreadable again; a signal that comes after this makes it readable once more.
void DrainWakeupDescriptor(SocketHandle wakeup);
void CloseWakeupDescriptor(SocketHandle wakeup);

} // namespace dravo
