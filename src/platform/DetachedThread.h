// StartDetachedThread: runs work on a thread that nobody joins.
//
// For work that may block for as long as the system likes (a name lookup, a
// WinINet request, a console read) and that its starter must be able to give up
// on: the work owns what it touches (shared pointers), and the thread ends with
// the work or with the process. On Windows the thread is the system's own
// (CreateThread, its handle closed at once) rather than a detached std::thread,
// whose bookkeeping in the MinGW threads library was seen to hand a new thread
// the start routine of another.
#pragma once

#include <functional>

namespace dravo {

// False (and the work not run) when no thread could be started.
[[nodiscard]] bool StartDetachedThread(std::function<void()> work) noexcept;

} // namespace dravo
