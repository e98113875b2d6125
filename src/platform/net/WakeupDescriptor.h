// The wake-up descriptor of the window thread's queue: a descriptor that a poll loop waits on beside the
// terminal, made readable from any thread. An eventfd on Linux; none (-1) on Windows, where the Win32 face
// wakes its message loop through the queue's wake hook instead. Every call accepts -1 and then does nothing.
#pragma once

namespace dravo {

int CreateWakeupDescriptor();
// Makes it readable; one that is already readable stays so.
void SignalWakeupDescriptor(int fd);
// Makes it unreadable again.
void DrainWakeupDescriptor(int fd);
void CloseWakeupDescriptor(int fd);

} // namespace dravo
