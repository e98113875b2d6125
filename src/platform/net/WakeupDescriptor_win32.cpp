// The wake-up descriptor on Windows: there is none; the Win32 face's message loop is woken by a posted
// window message (the queue's wake hook), and the headless face waits on the queue's condition variable.
#include "platform/net/WakeupDescriptor.h"

namespace dravo {

int CreateWakeupDescriptor() {
    return -1;
}

void SignalWakeupDescriptor(int) {}

void DrainWakeupDescriptor(int) {}

void CloseWakeupDescriptor(int) {}

} // namespace dravo
