// SessionCounters: the facts of the hosted game that services outside it read (monitoring, fleet).
//
// Contract. The session and its parts bump the counters on whichever thread does the work (the worker
// during a step, the window thread for operator commands, a service's own thread); each is a relaxed
// atomic, so nothing here ever takes UpdateLock or a lock per datagram. The level's name is the one
// text, under a small lock of its own that only a level change and a snapshot take. Snapshot copies
// everything for a reader on any thread.
#pragma once

#include "net/PresenceCounters.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace dravo {

// Upper bounds of the step-interval histogram, in milliseconds; a last bucket holds the rest.
inline constexpr std::array<uint32_t, 11> STEP_INTERVAL_BOUNDS_MS = {5, 8, 9, 10, 12, 15, 20, 30, 50, 100, 250};

// Logins to the remote console, by result.
enum class RemoteLogin : uint8_t { Accepted, WrongPassword, LockedOut };
constexpr size_t REMOTE_LOGIN_KINDS = 3;

struct SessionSnapshot {
    bool m_Hosting = false;                                                     // the game is hosted now
    uint64_t m_HostingMs = 0;                                                   // how long it has been hosted
    int32_t m_Players = 0;                                                      // players in the game now
    int32_t m_MaxPlayers = 0;                                                   // the player limit
    std::string m_Level;                                                        // the current level's name
    uint64_t m_LevelChanges = 0;                                                // level changes since hosting began
    uint64_t m_Steps = 0;                                                       // update steps run
    std::array<uint64_t, STEP_INTERVAL_BOUNDS_MS.size() + 1> m_StepIntervals{}; // per bucket, not cumulative
    uint64_t m_StepIntervalSumMs = 0;
    uint64_t m_ConsoleCommands = 0; // console commands run, from the window and from afar
    uint64_t m_RemoteCommands = 0;  // of those and of the actions, the remote console's
    std::array<uint64_t, REMOTE_LOGIN_KINDS> m_RemoteLogins{};
    uint64_t m_OperatorKicks = 0; // players booted by the operator
    uint64_t m_BanKicks = 0;      // banned players booted
    uint64_t m_BannedNames = 0;   // names on the ban list
    uint64_t m_QueriesAnswered = 0;
    std::array<uint64_t, QUERY_DROP_KINDS> m_QueriesDropped{};
    uint64_t m_AnswerBytes = 0;
    uint64_t m_AddressEntries = 0;
    uint64_t m_Heartbeats = 0;
    uint64_t m_RegistrationsAnswered = 0;
    uint64_t m_RegistrationsFailed = 0;
};

class SessionCounters {
public:
    // Hosting began at `nowMs` of the session's clock with this player limit and first level.
    void HostingStarted(uint32_t nowMs, int32_t maxPlayers, std::string_view level);
    void HostingStopped() { m_Hosting.store(false, std::memory_order_relaxed); }
    // One update step, `intervalMs` after the previous one began (0 for the first, which is not timed).
    void CountStep(uint32_t intervalMs);
    void SetPlayers(int32_t count) { m_Players.store(count, std::memory_order_relaxed); }
    void SetLevel(std::string_view level);
    void LevelChanged(std::string_view level);
    void CountConsoleCommand() { CountOne(m_ConsoleCommands); }
    void CountRemoteCommand() { CountOne(m_RemoteCommands); }
    void CountRemoteLogin(RemoteLogin result) { CountOne(m_RemoteLogins[static_cast<size_t>(result)]); }
    void CountOperatorKick() { CountOne(m_OperatorKicks); }
    void CountBanKick() { CountOne(m_BanKicks); }
    void SetBannedNames(uint64_t count) { m_BannedNames.store(count, std::memory_order_relaxed); }
    PresenceCounters& Presence() { return m_Presence; }

    // Everything at once, with `nowMs` of the session's clock for the hosting time.
    SessionSnapshot Snapshot(uint32_t nowMs) const;

private:
    std::atomic<bool> m_Hosting{false};
    std::atomic<uint32_t> m_HostingStartMs{0};
    std::atomic<int32_t> m_Players{0};
    std::atomic<int32_t> m_MaxPlayers{0};
    std::atomic<uint64_t> m_LevelChanges{0};
    std::atomic<uint64_t> m_Steps{0};
    std::array<std::atomic<uint64_t>, STEP_INTERVAL_BOUNDS_MS.size() + 1> m_StepIntervals{};
    std::atomic<uint64_t> m_StepIntervalSumMs{0};
    std::atomic<uint64_t> m_ConsoleCommands{0};
    std::atomic<uint64_t> m_RemoteCommands{0};
    std::array<std::atomic<uint64_t>, REMOTE_LOGIN_KINDS> m_RemoteLogins{};
    std::atomic<uint64_t> m_OperatorKicks{0};
    std::atomic<uint64_t> m_BanKicks{0};
    std::atomic<uint64_t> m_BannedNames{0};
    PresenceCounters m_Presence;
    mutable std::mutex m_LevelMutex;
    std::string m_Level; // guarded by m_LevelMutex
};

} // namespace dravo
