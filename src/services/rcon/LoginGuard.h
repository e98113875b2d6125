// LoginGuard: failed remote console logins per address and in all, and the lockouts that follow them.
//
// An address that gets MaxFailures passwords wrong in a row is locked out for the base time, and each
// lockout after that doubles it, up to MAX_LOCKOUT_MS. A right password forgets the failures of its address
// but not the doubling, which decays only after a quiet day. Failures from all addresses together draw on
// one budget that refills at the pace one address is allowed (MaxFailures a base time), with room for a
// burst of GLOBAL_BURST_LOCKOUTS times that: once it is spent, every address waits, so that guessing from
// many addresses is no faster than from one. The table has a fixed size, and a full one never forgets a
// locked address, nor one with failures counting towards a lockout: it makes room only from addresses
// with nothing against them (or failures long past), and while there is none, a new address is refused
// until a lockout ends. Pure logic: time comes in as milliseconds of the caller's steady clock; one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace dravo {

struct LoginGuardLimits {
    uint32_t m_MaxFailures = 3;       // wrong passwords in a row that start a lockout
    uint64_t m_BaseLockoutMs = 60000; // the first lockout
};

class LoginGuard {
public:
    static constexpr size_t MAX_ADDRESSES = 1024;
    static constexpr uint64_t MAX_LOCKOUT_MS = uint64_t{24} * 3600 * 1000;
    static constexpr uint64_t DECAY_MS = uint64_t{24} * 3600 * 1000;
    static constexpr uint32_t GLOBAL_BURST_LOCKOUTS = 4;

    explicit LoginGuard(LoginGuardLimits limits = {});

    // Milliseconds the address must still wait before it may try (its lockout, or a full table that has
    // no room for it); 0 when it may try.
    uint64_t LockedForMs(uint32_t address, uint64_t nowMs) const;
    // Milliseconds until the budget of all addresses allows another failure; 0 when it does.
    uint64_t GlobalWaitMs(uint64_t nowMs);
    // A wrong password: returns the lockout it starts in milliseconds, 0 when it starts none.
    uint64_t Failed(uint32_t address, uint64_t nowMs);
    // A right password.
    void Succeeded(uint32_t address, uint64_t nowMs);
    size_t Size() const { return m_Entries.size(); }

private:
    struct Entry {
        uint32_t m_Failures = 0;
        uint32_t m_Lockouts = 0; // lockouts so far, for the doubling
        uint64_t m_LockedUntil = 0;
        uint64_t m_LastSeen = 0;
    };

    // The address's entry, made when there is room; nothing when the table is full of entries it keeps.
    Entry* See(uint32_t address, uint64_t nowMs);
    bool MayForget(const Entry& entry, uint64_t nowMs) const;
    void Refill(uint64_t nowMs);

    LoginGuardLimits m_Limits;
    std::unordered_map<uint32_t, Entry> m_Entries;
    // The budget of all addresses, in failures times the base lockout (so that it refills in whole steps).
    uint64_t m_Budget = 0;
    uint64_t m_BudgetAt = 0;
    bool m_BudgetStarted = false;
};

} // namespace dravo
