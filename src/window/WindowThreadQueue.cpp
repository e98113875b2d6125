// The window thread's queue of posted work and its timer schedule.
#include "window/WindowThreadQueue.h"

#include "platform/net/WakeupDescriptor.h"

#include <algorithm>
#include <utility>

namespace dravo {

WindowThreadQueue::~WindowThreadQueue() {
    CloseWakeupDescriptor(m_WakeupFd);
}

void WindowThreadQueue::SetWakeHook(std::function<void()> hook) {
    std::lock_guard lock(m_Mutex);
    m_WakeHook = std::move(hook);
}

void WindowThreadQueue::CallWakeHook() {
    std::function<void()> hook;
    {
        std::lock_guard lock(m_Mutex);
        hook = m_WakeHook;
    }
    if (hook) {
        hook();
    }
}

bool WindowThreadQueue::Post(std::function<void()> work) {
    {
        std::lock_guard lock(m_Mutex);
        if (m_Closed || !work) {
            return false;
        }
        m_Work.push_back(std::move(work));
        m_PostCount.fetch_add(1);
        SignalWakeupDescriptor(m_WakeupFd);
    }
    m_Wakeup.notify_one();
    CallWakeHook();
    return true;
}

void WindowThreadQueue::Wake() {
    {
        std::lock_guard lock(m_Mutex);
        m_WakePending = true;
        SignalWakeupDescriptor(m_WakeupFd);
    }
    m_Wakeup.notify_one();
    CallWakeHook();
}

int WindowThreadQueue::WakeupFd() {
    std::lock_guard lock(m_Mutex);
    if (m_WakeupFd == NO_SOCKET) {
        m_WakeupFd = CreateWakeupDescriptor();
        if (!m_Work.empty() || m_WakePending || m_Closed) {
            SignalWakeupDescriptor(m_WakeupFd);
        }
    }
    return static_cast<int>(m_WakeupFd); // a descriptor: the terminal face's poll is a POSIX one
}

void WindowThreadQueue::ConsumeWakeups() {
    std::lock_guard lock(m_Mutex);
    m_WakePending = false;
    DrainWakeupDescriptor(m_WakeupFd);
}

void WindowThreadQueue::Close() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_Mutex);
        m_Closed = true;
        dropped.swap(m_Work);
        m_Timers.clear();
        SignalWakeupDescriptor(m_WakeupFd);
        m_WakeHook = nullptr;
    }
    m_Wakeup.notify_all();
    // The dropped work is destroyed here, outside the lock: its captures may post again.
}

bool WindowThreadQueue::IsClosed() const {
    std::lock_guard lock(m_Mutex);
    return m_Closed;
}

size_t WindowThreadQueue::RunPending() {
    size_t available = 0;
    {
        std::lock_guard lock(m_Mutex);
        available = m_Work.size();
    }
    size_t ran = 0;
    for (; ran < available; ++ran) {
        std::function<void()> work;
        {
            std::lock_guard lock(m_Mutex);
            if (m_Work.empty()) {
                break; // closed meanwhile
            }
            work = std::move(m_Work.front());
            m_Work.pop_front();
        }
        work();
    }
    return ran;
}

bool WindowThreadQueue::WaitForWork(Clock::time_point deadline) {
    std::unique_lock lock(m_Mutex);
    const bool woken =
        m_Wakeup.wait_until(lock, deadline, [this] { return !m_Work.empty() || m_WakePending || m_Closed; });
    m_WakePending = false;
    return woken;
}

std::vector<WindowThreadQueue::Timer>::iterator WindowThreadQueue::FindTimer(const void* owner, int id) {
    return std::find_if(m_Timers.begin(), m_Timers.end(),
                        [&](const Timer& timer) { return timer.m_Owner == owner && timer.m_Id == id; });
}

bool WindowThreadQueue::SetTimer(const void* owner, int id, uint32_t periodMs, std::function<void()> fire,
                                 Clock::time_point now) {
    if (periodMs == 0 || !fire) {
        return false;
    }
    {
        std::lock_guard lock(m_Mutex);
        if (m_Closed) {
            return false;
        }
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(periodMs));
        auto found = FindTimer(owner, id);
        if (found == m_Timers.end()) {
            m_Timers.push_back(Timer{owner, id, period, now + period, std::move(fire)});
        } else {
            *found = Timer{owner, id, period, now + period, std::move(fire)};
        }
    }
    Wake(); // the loop may be waiting for a later deadline
    return true;
}

bool WindowThreadQueue::KillTimer(const void* owner, int id) {
    std::lock_guard lock(m_Mutex);
    auto found = FindTimer(owner, id);
    if (found == m_Timers.end()) {
        return false;
    }
    m_Timers.erase(found);
    return true;
}

void WindowThreadQueue::KillTimers(const void* owner) {
    std::lock_guard lock(m_Mutex);
    std::erase_if(m_Timers, [owner](const Timer& timer) { return timer.m_Owner == owner; });
}

bool WindowThreadQueue::HasTimer(const void* owner, int id) const {
    std::lock_guard lock(m_Mutex);
    return std::any_of(m_Timers.begin(), m_Timers.end(),
                       [&](const Timer& timer) { return timer.m_Owner == owner && timer.m_Id == id; });
}

bool WindowThreadQueue::FireTimer(const void* owner, int id) {
    std::function<void()> fire;
    {
        std::lock_guard lock(m_Mutex);
        auto found = FindTimer(owner, id);
        if (found == m_Timers.end()) {
            return false;
        }
        fire = found->m_Fire;
    }
    fire(); // outside the lock: the handler may set or kill timers
    return true;
}

std::optional<WindowThreadQueue::Clock::time_point> WindowThreadQueue::NextTimerDue() const {
    std::lock_guard lock(m_Mutex);
    if (m_Timers.empty()) {
        return std::nullopt;
    }
    return std::min_element(m_Timers.begin(), m_Timers.end(),
                            [](const Timer& left, const Timer& right) { return left.m_Due < right.m_Due; })
        ->m_Due;
}

size_t WindowThreadQueue::RunDueTimers(Clock::time_point now) {
    std::vector<std::pair<const void*, int>> due;
    {
        std::lock_guard lock(m_Mutex);
        for (const Timer& timer : m_Timers) {
            if (timer.m_Due <= now) {
                due.emplace_back(timer.m_Owner, timer.m_Id);
            }
        }
    }
    size_t fired = 0;
    for (const auto& [owner, id] : due) {
        std::function<void()> fire;
        {
            std::lock_guard lock(m_Mutex);
            auto found = FindTimer(owner, id);
            // An earlier handler may have killed or restarted it.
            if (found == m_Timers.end() || found->m_Due > now) {
                continue;
            }
            found->m_Due = now + found->m_Period;
            fire = found->m_Fire;
        }
        fire();
        ++fired;
    }
    return fired;
}

} // namespace dravo
