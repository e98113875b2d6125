// The pool's threads as std::threads, detached when abandoned.
#include "platform/os/BlockingPool.h"

#include <thread>

namespace dravo {

void* BlockingPool::StartThread(std::function<void()> body) noexcept {
    try {
        return new std::thread(std::move(body)); // owned by the pool's record until joined or let go
    } catch (...) {
        return nullptr;
    }
}

void BlockingPool::JoinThread(void* handle) {
    const std::unique_ptr<std::thread> thread(static_cast<std::thread*>(handle));
    thread->join();
}

void BlockingPool::AbandonThread(void* handle) {
    const std::unique_ptr<std::thread> thread(static_cast<std::thread*>(handle));
    thread->detach();
}

} // namespace dravo
