// Detached threads: a std::thread let go of.
#include "platform/DetachedThread.h"

#include <system_error>
#include <thread>

namespace dravo {

bool StartDetachedThread(std::function<void()> work) noexcept {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

} // namespace dravo
