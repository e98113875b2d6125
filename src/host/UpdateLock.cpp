// The update lock and its per-thread level-change holds.
#include "host/UpdateLock.h"

namespace dravo {

void UpdateLock::BeginLevelChange() {
    m_Mutex.lock();
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
    m_Mutex.unlock();
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
