// UpdateLock: the re-entrant lock around each update step of the hosted game.
//
// The worker thread holds it for a whole UpdateStep. The game code's level-change
// messages take it when a change begins and release it when the change ends, on
// the thread that delivers them; a thread's "end" without its own "begin"
// releases nothing, so a stray message never unlocks what another took. The
// window thread takes it only with a bound (TryLockFor), so that a wedged game
// never freezes the operator's commands.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace dravo {

// The longest an operator command waits for UpdateLock; a step takes a few milliseconds.
constexpr std::chrono::milliseconds OPERATOR_LOCK_WAIT{500};

class UpdateLock {
public:
    // For std::scoped_lock / std::unique_lock; use those, never these by hand.
    // NOLINTBEGIN(readability-identifier-naming): the standard's Lockable names
    void lock() { m_Mutex.lock(); }
    void unlock() { m_Mutex.unlock(); }
    bool try_lock() { return m_Mutex.try_lock(); }
    // NOLINTEND(readability-identifier-naming)
    // Takes the lock unless another thread holds it for longer than `limit`.
    [[nodiscard]] bool TryLockFor(std::chrono::milliseconds limit) { return m_Mutex.try_lock_for(limit); }

    // A level change begins on this thread: take the lock once more.
    void BeginLevelChange();
    // The level change this thread began has ended: release what BeginLevelChange took.
    // Returns false (and releases nothing) when this thread holds no level change.
    bool EndLevelChange();
    // Releases every level-change hold of this thread, for a thread that is ending.
    void ReleaseLevelChanges();
    // Level-change holds of the calling thread.
    int LevelChangeHolds() const;

private:
    std::recursive_timed_mutex m_Mutex;
    mutable std::mutex m_HoldsMutex;
    std::map<std::thread::id, int> m_Holds;
};

} // namespace dravo
