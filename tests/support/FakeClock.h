// FakeClock: a millisecond clock that moves only when told to (or when slept on).
#pragma once

#include "platform/os/Clock.h"

#include <atomic>

namespace dravo::test {

class FakeClock final : public IClock {
public:
    uint32_t NowMs() const override { return m_Now.load(); }
    void SleepMs(uint32_t milliseconds) override {
        m_Now += milliseconds;
        m_Slept += milliseconds;
    }
    void Advance(uint32_t milliseconds) { m_Now += milliseconds; }
    void Set(uint32_t now) { m_Now = now; }
    uint32_t Slept() const { return m_Slept.load(); }

private:
    std::atomic<uint32_t> m_Now{0};
    std::atomic<uint32_t> m_Slept{0};
};

} // namespace dravo::test
