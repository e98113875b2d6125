// Detached threads: the system's own thread, its handle closed at once.
#include "platform/DetachedThread.h"

#include <windows.h>

#include <memory>
#include <new>

namespace dravo {
namespace {

DWORD WINAPI RunWork(LPVOID parameter) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

} // namespace

bool StartDetachedThread(std::function<void()> work) noexcept {
    auto* owned = new (std::nothrow) std::function<void()>(std::move(work));
    if (owned == nullptr) {
        return false;
    }
    HANDLE thread = CreateThread(nullptr, 0, &RunWork, owned, 0, nullptr);
    if (thread == nullptr) {
        delete owned;
        return false;
    }
    CloseHandle(thread);
    return true;
}

} // namespace dravo
