// UpdateLock: the re-entrant lock around each update step of the hosted game.
//
// The worker thread holds it for a whole UpdateStep. The game code's level-change
// messages take it when a change begins and release it when the change ends, on
// the thread that delivers them; a thread's "end" without its own "begin"
// releases nothing, so a stray message never unlocks what another took. The
// window thread takes it only with a bound (TryLockFor), so that a wedged game
// never freezes the operator's commands.
//
// The re-entrant timed lock is built from a mutex and a condition variable rather
// than std::recursive_timed_mutex: its steady-clock wait (pthread_mutex_clocklock)
// is invisible to the thread sanitizer of our compiler, which then reports every
// unlock as one of an unlocked mutex.
#pragma once

#include <chrono>
#include <condition_variable>
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
    void lock();
    void unlock();
    bool try_lock() { return TryLockFor(std::chrono::milliseconds(0)); }
    // NOLINTEND(readability-identifier-naming)
    // Takes the lock unless another thread holds it for longer than `limit`.
    [[nodiscard]] bool TryLockFor(std::chrono::milliseconds limit);

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
    // True when the calling thread may take the lock now; the caller holds m_StateMutex.
    bool IsFreeForThisThread() const;

    std::mutex m_StateMutex;
    std::condition_variable m_Released;
    std::thread::id m_Owner;
    int m_Depth = 0;
    mutable std::mutex m_HoldsMutex;
    std::map<std::thread::id, int> m_Holds;
};

} // namespace dravo
