// Counting failed logins and locking addresses out.
#include "services/rcon/LoginGuard.h"

#include <algorithm>

namespace dravo {

uint64_t LoginGuard::LockedForMs(uint32_t address, uint64_t nowMs) const {
    const auto found = m_Entries.find(address);
    if (found == m_Entries.end() || found->second.m_LockedUntil <= nowMs) {
        return 0;
    }
    return found->second.m_LockedUntil - nowMs;
}

LoginGuard::Entry& LoginGuard::See(uint32_t address, uint64_t nowMs) {
    auto found = m_Entries.find(address);
    if (found == m_Entries.end()) {
        if (m_Entries.size() >= MAX_ADDRESSES) {
            MakeRoom(nowMs);
        }
        found = m_Entries.emplace(address, Entry{}).first;
    }
    Entry& entry = found->second;
    if (entry.m_LastSeen != 0 && nowMs - entry.m_LastSeen >= DECAY_MS && entry.m_LockedUntil <= nowMs) {
        entry = Entry{}; // a quiet day starts the address afresh
    }
    entry.m_LastSeen = nowMs;
    return entry;
}

void LoginGuard::MakeRoom(uint64_t nowMs) {
    auto oldest = m_Entries.end();
    auto oldestLocked = m_Entries.end();
    for (auto it = m_Entries.begin(); it != m_Entries.end(); ++it) {
        auto& pick = it->second.m_LockedUntil > nowMs ? oldestLocked : oldest;
        if (pick == m_Entries.end() || it->second.m_LastSeen < pick->second.m_LastSeen) {
            pick = it;
        }
    }
    m_Entries.erase(oldest != m_Entries.end() ? oldest : oldestLocked);
}

uint64_t LoginGuard::Failed(uint32_t address, uint64_t nowMs) {
    Entry& entry = See(address, nowMs);
    if (++entry.m_Failures < m_Limits.m_MaxFailures) {
        return 0;
    }
    entry.m_Failures = 0;
    const uint32_t doublings = std::min<uint32_t>(entry.m_Lockouts, 32);
    ++entry.m_Lockouts;
    const uint64_t lockout = std::min(m_Limits.m_BaseLockoutMs << std::min<uint32_t>(doublings, 20), MAX_LOCKOUT_MS);
    entry.m_LockedUntil = nowMs + lockout;
    return lockout;
}

void LoginGuard::Succeeded(uint32_t address, uint64_t nowMs) {
    See(address, nowMs).m_Failures = 0;
}

} // namespace dravo
