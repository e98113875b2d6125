// Bumping the session's counters and copying them out.
#include "host/state/SessionCounters.h"

#include <algorithm>

namespace dravo {
namespace {

uint64_t Read(const std::atomic<uint64_t>& counter) {
    return counter.load(std::memory_order_relaxed);
}

} // namespace

void SessionCounters::CountStepInterval(uint32_t intervalMs) {
    if (intervalMs == 0) {
        return; // the first step has no interval
    }
    const auto bucket = std::lower_bound(STEP_INTERVAL_BOUNDS_MS.begin(), STEP_INTERVAL_BOUNDS_MS.end(), intervalMs);
    CountOne(m_StepIntervals[static_cast<size_t>(bucket - STEP_INTERVAL_BOUNDS_MS.begin())]);
    CountOne(m_StepIntervalSumMs, intervalMs);
}

CounterSnapshot SessionCounters::Snapshot() const {
    CounterSnapshot snapshot;
    for (size_t i = 0; i < m_StepIntervals.size(); ++i) {
        snapshot.m_StepIntervals[i] = Read(m_StepIntervals[i]);
    }
    snapshot.m_StepIntervalSumMs = Read(m_StepIntervalSumMs);
    snapshot.m_ConsoleCommands = Read(m_ConsoleCommands);
    snapshot.m_RemoteCommands = Read(m_RemoteCommands);
    for (size_t i = 0; i < m_RemoteLogins.size(); ++i) {
        snapshot.m_RemoteLogins[i] = Read(m_RemoteLogins[i]);
    }
    snapshot.m_OperatorKicks = Read(m_OperatorKicks);
    snapshot.m_BanKicks = Read(m_BanKicks);
    snapshot.m_BannedNames = Read(m_BannedNames);
    snapshot.m_QueriesAnswered = Read(m_Presence.m_QueriesAnswered);
    for (size_t i = 0; i < QUERY_DROP_KINDS; ++i) {
        snapshot.m_QueriesDropped[i] = Read(m_Presence.m_QueriesDropped[i]);
    }
    snapshot.m_A2sAnswered = Read(m_Presence.m_A2sAnswered);
    for (size_t i = 0; i < QUERY_DROP_KINDS; ++i) {
        snapshot.m_A2sDropped[i] = Read(m_Presence.m_A2sDropped[i]);
    }
    snapshot.m_AnswerBytes = Read(m_Presence.m_AnswerBytes);
    snapshot.m_AddressEntries = Read(m_Presence.m_AddressEntries);
    snapshot.m_Heartbeats = Read(m_Presence.m_Heartbeats);
    snapshot.m_RegistrationsAnswered = Read(m_Presence.m_RegistrationsAnswered);
    snapshot.m_RegistrationsFailed = Read(m_Presence.m_RegistrationsFailed);
    return snapshot;
}

} // namespace dravo
