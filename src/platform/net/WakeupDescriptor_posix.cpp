// The wake-up descriptor on Linux: a non-blocking eventfd counter.
#include "platform/net/WakeupDescriptor.h"

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace dravo {

int CreateWakeupDescriptor() {
    return eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void SignalWakeupDescriptor(int fd) {
    if (fd >= 0) {
        const uint64_t one = 1;
        (void)!write(fd, &one, sizeof one);
    }
}

void DrainWakeupDescriptor(int fd) {
    if (fd >= 0) {
        uint64_t count = 0;
        (void)!read(fd, &count, sizeof count);
    }
}

void CloseWakeupDescriptor(int fd) {
    if (fd >= 0) {
        close(fd);
    }
}

} // namespace dravo
