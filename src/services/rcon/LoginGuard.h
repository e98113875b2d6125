// LoginGuard: failed remote console logins per address, and the lockout that follows them.
//
// An address that gets MaxFailures passwords wrong in a row is locked out for the base
// time, and each lockout after that doubles it, up to MAX_LOCKOUT_MS. A right password forgets the
// failures of its address but not the doubling, which decays only after a quiet day. The table has a
// fixed size: when it is full, the entry seen least recently that is not locked out makes room (and when
// all are, the oldest). Pure logic: time comes in as milliseconds of the caller's steady clock; one thread.
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

    explicit LoginGuard(LoginGuardLimits limits = {}) : m_Limits(limits) {}

    // Milliseconds the address is still locked out for; 0 when it may try.
    uint64_t LockedForMs(uint32_t address, uint64_t nowMs) const;
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

    Entry& See(uint32_t address, uint64_t nowMs);
    void MakeRoom(uint64_t nowMs);

    LoginGuardLimits m_Limits;
    std::unordered_map<uint32_t, Entry> m_Entries;
};

} // namespace dravo
