// Counting failed logins and locking addresses out.
#include "services/rcon/LoginGuard.h"

#include <algorithm>

namespace dravo {

LoginGuard::LoginGuard(LoginGuardLimits limits) : m_Limits(limits) {
    m_Limits.m_MaxFailures = std::max<uint32_t>(m_Limits.m_MaxFailures, 1);
    m_Limits.m_BaseLockoutMs = std::max<uint64_t>(m_Limits.m_BaseLockoutMs, 1);
}

bool LoginGuard::MayForget(const Entry& entry, uint64_t nowMs) const {
    if (entry.m_LockedUntil > nowMs) {
        return false;
    }
    return entry.m_Failures == 0 || nowMs - entry.m_LastSeen >= m_Limits.m_BaseLockoutMs;
}

uint64_t LoginGuard::LockedForMs(uint32_t address, uint64_t nowMs) const {
    const auto found = m_Entries.find(address);
    if (found != m_Entries.end()) {
        return found->second.m_LockedUntil > nowMs ? found->second.m_LockedUntil - nowMs : 0;
    }
    if (m_Entries.size() < MAX_ADDRESSES) {
        return 0;
    }
    uint64_t soonest = MAX_LOCKOUT_MS;
    for (const auto& [key, entry] : m_Entries) {
        if (MayForget(entry, nowMs)) {
            return 0;
        }
        if (entry.m_LockedUntil > nowMs) {
            soonest = std::min(soonest, entry.m_LockedUntil - nowMs);
        } else { // failures that become forgettable a base time after the last one
            soonest = std::min(soonest, entry.m_LastSeen + m_Limits.m_BaseLockoutMs - nowMs);
        }
    }
    return std::max<uint64_t>(soonest, 1);
}

void LoginGuard::Refill(uint64_t nowMs) {
    const uint64_t full = uint64_t{GLOBAL_BURST_LOCKOUTS} * m_Limits.m_MaxFailures * m_Limits.m_BaseLockoutMs;
    if (!m_BudgetStarted) {
        m_BudgetStarted = true;
        m_Budget = full;
        m_BudgetAt = nowMs;
        return;
    }
    // m_MaxFailures failures a base lockout: m_MaxFailures units a millisecond.
    const uint64_t elapsed = nowMs > m_BudgetAt ? nowMs - m_BudgetAt : 0;
    m_Budget = elapsed >= full ? full : std::min(full, m_Budget + elapsed * m_Limits.m_MaxFailures);
    m_BudgetAt = nowMs;
}

uint64_t LoginGuard::GlobalWaitMs(uint64_t nowMs) {
    Refill(nowMs);
    const uint64_t one = m_Limits.m_BaseLockoutMs;
    if (m_Budget >= one) {
        return 0;
    }
    return (one - m_Budget + m_Limits.m_MaxFailures - 1) / m_Limits.m_MaxFailures;
}

LoginGuard::Entry* LoginGuard::See(uint32_t address, uint64_t nowMs) {
    auto found = m_Entries.find(address);
    if (found == m_Entries.end()) {
        if (m_Entries.size() >= MAX_ADDRESSES) {
            const auto forgettable = std::find_if(m_Entries.begin(), m_Entries.end(),
                                                  [&](const auto& item) { return MayForget(item.second, nowMs); });
            if (forgettable == m_Entries.end()) {
                return nullptr;
            }
            m_Entries.erase(forgettable);
        }
        found = m_Entries.emplace(address, Entry{}).first;
    }
    Entry& entry = found->second;
    if (entry.m_LastSeen != 0 && nowMs - entry.m_LastSeen >= DECAY_MS && entry.m_LockedUntil <= nowMs) {
        entry = Entry{}; // a quiet day starts the address afresh
    }
    entry.m_LastSeen = nowMs;
    return &entry;
}

uint64_t LoginGuard::Failed(uint32_t address, uint64_t nowMs) {
    Refill(nowMs);
    m_Budget -= std::min(m_Budget, m_Limits.m_BaseLockoutMs);
    Entry* entry = See(address, nowMs);
    if (entry == nullptr || ++entry->m_Failures < m_Limits.m_MaxFailures) {
        return 0;
    }
    entry->m_Failures = 0;
    const uint32_t doublings = std::min<uint32_t>(entry->m_Lockouts, 32);
    ++entry->m_Lockouts;
    const uint64_t lockout = std::min(m_Limits.m_BaseLockoutMs << std::min<uint32_t>(doublings, 20), MAX_LOCKOUT_MS);
    entry->m_LockedUntil = nowMs + lockout;
    return lockout;
}

void LoginGuard::Succeeded(uint32_t address, uint64_t nowMs) {
    if (Entry* entry = See(address, nowMs)) {
        entry->m_Failures = 0;
    }
}

} // namespace dravo
