// The update lock and its per-thread level-change holds.
#include "host/state/UpdateLock.h"

namespace dravo {

bool UpdateLock::IsFreeForThisThread() const {
    return m_Depth == 0 || m_Owner == std::this_thread::get_id();
}

void UpdateLock::lock() {
    std::unique_lock state(m_StateMutex);
    m_Released.wait(state, [this] { return IsFreeForThisThread(); });
    m_Owner = std::this_thread::get_id();
    ++m_Depth;
}

bool UpdateLock::TryLockFor(std::chrono::milliseconds limit) {
    std::unique_lock state(m_StateMutex);
    if (!m_Released.wait_for(state, limit, [this] { return IsFreeForThisThread(); })) {
        return false;
    }
    m_Owner = std::this_thread::get_id();
    ++m_Depth;
    return true;
}

void UpdateLock::unlock() {
    {
        std::scoped_lock state(m_StateMutex);
        if (m_Depth == 0 || m_Owner != std::this_thread::get_id()) {
            return; // not this thread's to release
        }
        if (--m_Depth > 0) {
            return;
        }
        m_Owner = std::thread::id();
    }
    m_Released.notify_one();
}

void UpdateLock::BeginLevelChange() {
    lock();
    std::scoped_lock holds(m_HoldsMutex);
    ++m_Holds[std::this_thread::get_id()];
}

bool UpdateLock::EndLevelChange() {
    {
        std::scoped_lock holds(m_HoldsMutex);
        const auto found = m_Holds.find(std::this_thread::get_id());
        if (found == m_Holds.end()) {
            return false;
        }
        if (--found->second == 0) {
            m_Holds.erase(found);
        }
    }
    unlock();
    return true;
}

void UpdateLock::ReleaseLevelChanges() {
    while (EndLevelChange()) {
    }
}

int UpdateLock::LevelChangeHolds() const {
    std::scoped_lock holds(m_HoldsMutex);
    const auto found = m_Holds.find(std::this_thread::get_id());
    return found == m_Holds.end() ? 0 : found->second;
}

} // namespace dravo
