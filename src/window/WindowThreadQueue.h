// WindowThreadQueue: work posted to the window thread from any thread, and the window timers, for the
// modal loop of a face to drain.
//
// Post() never blocks for long and never waits for the window thread; it only takes the queue's lock.
// Everything else is called on the window thread. Work runs in the order it was posted. Timers do not
// pile up: a timer that came due several times while the loop was busy fires once, and its next time
// is counted from then.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace dravo {

class WindowThreadQueue {
public:
    using Clock = std::chrono::steady_clock;

    WindowThreadQueue() = default;
    ~WindowThreadQueue();
    WindowThreadQueue(const WindowThreadQueue&) = delete;
    WindowThreadQueue& operator=(const WindowThreadQueue&) = delete;

    // Any thread. Queues the work and wakes the loop; false (work dropped) once the queue is closed.
    bool Post(std::function<void()> work);
    // Any thread. Wakes a waiting loop without queuing work.
    void Wake();
    // Any thread. Drops the queued work; later posts are refused.
    void Close();
    bool IsClosed() const;

    // Runs the work that was queued when called (work it posts runs next time); returns how much ran.
    size_t RunPending();
    // Waits until work is queued, Wake() is called or the deadline passes; true unless the wait timed
    // out. Returns at once when work is already queued or a wake is pending.
    bool WaitForWork(Clock::time_point deadline);
    // For a loop that waits on other descriptors too (terminal input): a descriptor that is readable
    // while work is queued or a wake is pending, created on first use; -1 when the system has none
    // to give. ConsumeWakeups() makes it unreadable again and clears a pending wake; the loop calls it
    // before running the pending work.
    int WakeupFd();
    void ConsumeWakeups();
    // For a loop that sleeps in the system's own wait (the Win32 face's message loop): called, on the
    // posting thread and outside the queue's lock, after every Post() and Wake(). It must not block and
    // must not call back into the queue; Close() drops it. Set it before other threads post.
    void SetWakeHook(std::function<void()> hook);
    // Any thread. How many times work has been posted so far.
    uint64_t PostCount() const { return m_PostCount.load(); }

    // Timers belong to an owner (a running dialog) and have an id; setting an existing one restarts it.
    // A period of 0 is refused.
    bool SetTimer(const void* owner, int id, uint32_t periodMs, std::function<void()> fire,
                  Clock::time_point now = Clock::now());
    bool KillTimer(const void* owner, int id);
    void KillTimers(const void* owner);
    bool HasTimer(const void* owner, int id) const;
    // Fires a timer now, whether or not it is due; false when there is no such timer.
    bool FireTimer(const void* owner, int id);
    // When the earliest timer is due, or nothing when no timer is set.
    std::optional<Clock::time_point> NextTimerDue() const;
    // Fires every timer due at the given time, once each; returns how many fired.
    size_t RunDueTimers(Clock::time_point now);

private:
    struct Timer {
        const void* m_Owner = nullptr;
        int m_Id = 0;
        Clock::duration m_Period{};
        Clock::time_point m_Due{};
        std::function<void()> m_Fire;
    };
    std::vector<Timer>::iterator FindTimer(const void* owner, int id);
    void CallWakeHook();

    mutable std::mutex m_Mutex;
    std::condition_variable m_Wakeup;
    std::deque<std::function<void()>> m_Work;
    bool m_WakePending = false;
    intptr_t m_WakeupFd = -1; // the wake-up descriptor (platform/net), made on first use
    std::function<void()> m_WakeHook;
    std::atomic<uint64_t> m_PostCount{0};
    bool m_Closed = false;
    std::vector<Timer> m_Timers;
};

} // namespace dravo
