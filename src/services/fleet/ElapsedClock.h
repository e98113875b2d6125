// ElapsedClock: the milliseconds since it was made, read from the program's clock (IClock) as a count that
// does not wrap. The 32-bit clock wraps every 49 days; this count follows it as long as two readings are less
// than 24 days apart (a longer gap reads as a clock gone back, which counts as no time), which the fleet
// client's threads make sure of by reading it at every round. Any thread; a reading older than the last
// one (another thread's, taken just before) counts as no time.
#pragma once

#include "platform/os/Clock.h"

#include <chrono>
#include <cstdint>
#include <mutex>

namespace dravo {

class ElapsedClock {
public:
    using Time = std::chrono::milliseconds;

    explicit ElapsedClock(const IClock& clock) : m_Clock(clock), m_Last(clock.NowMs()) {}

    // The time now.
    Time Now() { return At(m_Clock.NowMs()); }
    // The time of the clock's reading `nowMs`, taken just now.
    Time At(uint32_t nowMs) {
        std::scoped_lock lock(m_Mutex);
        const uint32_t moved = nowMs - m_Last;
        if (static_cast<int32_t>(moved) > 0) {
            m_Elapsed += moved;
            m_Last = nowMs;
        }
        return Time(static_cast<Time::rep>(m_Elapsed));
    }
    const IClock& Source() const { return m_Clock; }

private:
    const IClock& m_Clock;
    std::mutex m_Mutex;
    uint32_t m_Last;
    uint64_t m_Elapsed = 0;
};

} // namespace dravo
