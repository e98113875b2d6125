// The real millisecond clock, on the steady clock.
#include "platform/os/Clock.h"

#include <chrono>
#include <thread>

namespace dravo {
namespace {

class SystemClock final : public IClock {
public:
    uint32_t NowMs() const override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    uint64_t NowUs() const override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    }
    void SleepMs(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

} // namespace

std::unique_ptr<IClock> CreateSystemClock() {
    return std::make_unique<SystemClock>();
}

} // namespace dravo
