// The real millisecond clock on Windows: timeGetTime, and Sleep with the system timer at 1 ms for as long
// as the clock exists, so that the worker's 9 ms sleeps are 9 ms and not a 15.6 ms tick.
#include "platform/os/Clock.h"

#include <chrono>

#include <windows.h>

#include <timeapi.h>

namespace dravo {
namespace {

class SystemClock final : public IClock {
public:
    SystemClock() : m_FineTimer(timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~SystemClock() override {
        if (m_FineTimer) {
            timeEndPeriod(1);
        }
    }
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;

    uint32_t NowMs() const override { return static_cast<uint32_t>(timeGetTime()); }
    // The performance counter, through the steady clock: timeGetTime keeps only milliseconds.
    uint64_t NowUs() const override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    }
    void SleepMs(uint32_t milliseconds) override { Sleep(milliseconds); }

private:
    bool m_FineTimer;
};

} // namespace

std::unique_ptr<IClock> CreateSystemClock() {
    return std::make_unique<SystemClock>();
}

} // namespace dravo
