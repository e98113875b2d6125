// CountdownTimer: wakes its owner once, a given time from now, on a thread of its own.
//
// The owner arms it from any thread; when the time comes the timer's thread calls `due`, which only
// hands work on (to the window thread) and returns. Disarming, arming again and destruction never wait
// for more than a running `due`. The thread is the timer's own and ends with it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace dravo {

class CountdownTimer {
public:
    explicit CountdownTimer(std::function<void()> due);
    ~CountdownTimer();
    CountdownTimer(const CountdownTimer&) = delete;
    CountdownTimer& operator=(const CountdownTimer&) = delete;

    void Arm(std::chrono::milliseconds delay);
    void Disarm();

private:
    void Run(const std::stop_token& stop);

    std::function<void()> m_Due;
    std::mutex m_Mutex;
    std::condition_variable_any m_Changed;
    std::optional<std::chrono::steady_clock::time_point> m_When; // guarded by m_Mutex
    std::jthread m_Thread;                                       // last: stopped before the rest goes
};

} // namespace dravo
