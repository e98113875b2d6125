// The countdown's wake-up thread.
#include "host/commands/CountdownTimer.h"

namespace dravo {

CountdownTimer::CountdownTimer(std::function<void()> due)
    : m_Due(std::move(due)), m_Thread([this](const std::stop_token& stop) { Run(stop); }) {}

CountdownTimer::~CountdownTimer() {
    m_Thread.request_stop();
    m_Changed.notify_all();
}

void CountdownTimer::Arm(std::chrono::milliseconds delay) {
    {
        std::scoped_lock lock(m_Mutex);
        m_When = std::chrono::steady_clock::now() + delay;
    }
    m_Changed.notify_all();
}

void CountdownTimer::Disarm() {
    {
        std::scoped_lock lock(m_Mutex);
        m_When.reset();
    }
    m_Changed.notify_all();
}

void CountdownTimer::Run(const std::stop_token& stop) {
    std::unique_lock lock(m_Mutex);
    while (!stop.stop_requested()) {
        if (!m_When) {
            m_Changed.wait(lock, stop, [this] { return m_When.has_value(); });
            continue;
        }
        const auto when = *m_When;
        if (m_Changed.wait_until(lock, stop, when, [this, when] { return m_When != when; })) {
            continue; // armed again, disarmed or stopped
        }
        m_When.reset();
        lock.unlock();
        m_Due();
        lock.lock();
    }
}

} // namespace dravo
