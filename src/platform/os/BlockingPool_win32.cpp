// The pool's threads as the system's own (CreateThread), their handles waited on or closed. Not
// detached std::threads: the MinGW threads library's bookkeeping of those was seen to hand a new thread
// the start routine of another.
#include "platform/os/BlockingPool.h"

#include <windows.h>

#include <memory>
#include <new>

namespace dravo {
namespace {

DWORD WINAPI RunBody(LPVOID parameter) {
    const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

} // namespace

void* BlockingPool::StartThread(std::function<void()> body) noexcept {
    auto* owned = new (std::nothrow) std::function<void()>(std::move(body));
    if (owned == nullptr) {
        return nullptr;
    }
    HANDLE thread = CreateThread(nullptr, 0, &RunBody, owned, 0, nullptr);
    if (thread == nullptr) {
        delete owned;
    }
    return thread;
}

void BlockingPool::JoinThread(void* handle) {
    WaitForSingleObject(static_cast<HANDLE>(handle), INFINITE);
    CloseHandle(static_cast<HANDLE>(handle));
}

void BlockingPool::AbandonThread(void* handle) {
    CloseHandle(static_cast<HANDLE>(handle));
}

// WinINet and the other system libraries the jobs use keep no cleanup of their own for the program's end.
} // namespace dravo
