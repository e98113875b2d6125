// The wake-up descriptor on Linux: a non-blocking eventfd counter.
#include "platform/net/WakeupDescriptor.h"

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace dravo {

SocketHandle CreateWakeupDescriptor() {
    const int descriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return descriptor < 0 ? NO_SOCKET : descriptor;
}

void SignalWakeupDescriptor(SocketHandle wakeup) {
    if (wakeup != NO_SOCKET) {
        const uint64_t one = 1;
        (void)!write(static_cast<int>(wakeup), &one, sizeof one);
    }
}

void DrainWakeupDescriptor(SocketHandle wakeup) {
    if (wakeup != NO_SOCKET) {
        uint64_t count = 0; // one read takes the whole counter
        (void)!read(static_cast<int>(wakeup), &count, sizeof count);
    }
}

void CloseWakeupDescriptor(SocketHandle wakeup) {
    if (wakeup != NO_SOCKET) {
        close(static_cast<int>(wakeup));
    }
}

} // namespace dravo
