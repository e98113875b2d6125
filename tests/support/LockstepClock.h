// LockstepClock: a clock whose sleeps wait for the test. A thread that sleeps on it stays asleep until the
// test lets it go on (Wake, which moves the time on first and then waits until the thread sleeps again),
// so a loop that sleeps each pass runs one pass at a time, at times the test chooses. Release lets every
// sleep return at once, for the loop to end.
#pragma once

#include "platform/os/Clock.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace dravo::test {

class LockstepClock final : public IClock {
public:
    static constexpr std::chrono::seconds WAIT_LIMIT{10};

    explicit LockstepClock(uint32_t start = 1000) : m_Now(start) {}

    uint32_t NowMs() const override {
        std::scoped_lock lock(m_Mutex);
        return m_Now;
    }
    void SleepMs(uint32_t milliseconds) override {
        std::unique_lock lock(m_Mutex);
        m_LastSleepMs = milliseconds;
        ++m_Sleeps;
        m_Changed.notify_all();
        const uint64_t wakes = m_Wakes;
        m_Changed.wait(lock, [&] { return m_Released || m_Wakes != wakes; });
    }

    // Waits until `count` sleeps have begun; false when that takes longer than WAIT_LIMIT.
    bool WaitForSleeps(uint64_t count) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, WAIT_LIMIT, [&] { return m_Sleeps >= count; });
    }
    // Moves the time on and lets the sleeper go on for one pass: true once it sleeps again.
    bool Wake(uint32_t advanceMs) {
        uint64_t sleeps = 0;
        {
            std::scoped_lock lock(m_Mutex);
            m_Now += advanceMs;
            ++m_Wakes;
            sleeps = m_Sleeps;
            m_Changed.notify_all();
        }
        return WaitForSleeps(sleeps + 1);
    }
    // Moves the time on without waking anyone.
    void Advance(uint32_t advanceMs) {
        std::scoped_lock lock(m_Mutex);
        m_Now += advanceMs;
    }
    // Every sleep from now on returns at once, without moving the time.
    void Release() {
        std::scoped_lock lock(m_Mutex);
        m_Released = true;
        m_Changed.notify_all();
    }
    uint64_t Sleeps() const {
        std::scoped_lock lock(m_Mutex);
        return m_Sleeps;
    }
    uint32_t LastSleepMs() const {
        std::scoped_lock lock(m_Mutex);
        return m_LastSleepMs;
    }

private:
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    uint32_t m_Now;
    uint64_t m_Sleeps = 0;
    uint64_t m_Wakes = 0;
    uint32_t m_LastSleepMs = 0;
    bool m_Released = false;
};

} // namespace dravo::test
