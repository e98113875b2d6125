// SessionCounters: what monitoring counts of the hosted game beyond its facts (SessionFacts): the step
// intervals, console commands, remote logins, kicks and bans, and the internet presence's counters.
//
// Contract. The session and its parts bump the counters on whichever thread does the work (the worker
// during a step, the window thread for operator commands, a service's own thread); each is a relaxed
// atomic, so nothing here ever takes a lock, UpdateLock or any other. Snapshot copies them for a reader
// on any thread.
#pragma once

#include "net/PresenceCounters.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace dravo {

// Upper bounds of the step-interval histogram, in milliseconds; a last bucket holds the rest.
inline constexpr std::array<uint32_t, 11> STEP_INTERVAL_BOUNDS_MS = {5, 8, 9, 10, 12, 15, 20, 30, 50, 100, 250};

// Logins to the remote console, by result.
enum class RemoteLogin : uint8_t { Accepted, WrongPassword, LockedOut };
constexpr size_t REMOTE_LOGIN_KINDS = 3;

struct CounterSnapshot {
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
    uint64_t m_A2sAnswered = 0;
    std::array<uint64_t, QUERY_DROP_KINDS> m_A2sDropped{};
    uint64_t m_AnswerBytes = 0;
    uint64_t m_AddressEntries = 0;
    uint64_t m_Heartbeats = 0;
    uint64_t m_RegistrationsAnswered = 0;
    uint64_t m_RegistrationsFailed = 0;
};

class SessionCounters {
public:
    // One update step began `intervalMs` after the previous one (0 for the first, which is not timed).
    void CountStepInterval(uint32_t intervalMs);
    void CountConsoleCommand() { CountOne(m_ConsoleCommands); }
    void CountRemoteCommand() { CountOne(m_RemoteCommands); }
    void CountRemoteLogin(RemoteLogin result) { CountOne(m_RemoteLogins[static_cast<size_t>(result)]); }
    void CountOperatorKick() { CountOne(m_OperatorKicks); }
    void CountBanKick() { CountOne(m_BanKicks); }
    void SetBannedNames(uint64_t count) { m_BannedNames.store(count, std::memory_order_relaxed); }
    PresenceCounters& Presence() { return m_Presence; }

    CounterSnapshot Snapshot() const;

private:
    std::array<std::atomic<uint64_t>, STEP_INTERVAL_BOUNDS_MS.size() + 1> m_StepIntervals{};
    std::atomic<uint64_t> m_StepIntervalSumMs{0};
    std::atomic<uint64_t> m_ConsoleCommands{0};
    std::atomic<uint64_t> m_RemoteCommands{0};
    std::array<std::atomic<uint64_t>, REMOTE_LOGIN_KINDS> m_RemoteLogins{};
    std::atomic<uint64_t> m_OperatorKicks{0};
    std::atomic<uint64_t> m_BanKicks{0};
    std::atomic<uint64_t> m_BannedNames{0};
    PresenceCounters m_Presence;
};

} // namespace dravo
