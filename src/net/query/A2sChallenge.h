// A2sChallenge: the challenges of the A2S queries, bound to the querier's address and to time.
//
// A challenge is the keyed hash (SipHash, under a secret key drawn when reporting starts) of the address
// and the number of the period it was made in; it holds for the rest of that period and the whole next
// one (PERIOD_MS to twice that). Nothing is stored per address, so a flood of requests from any number of
// addresses costs no memory. A sender that cannot receive at its address never learns its challenge, so
// a spoofed query draws no more than the challenge itself. Pure logic; times are milliseconds of the
// caller's clock.
#pragma once

#include "net/query/SipHash.h"

#include <cstdint>

namespace dravo {

class A2sChallenge {
public:
    static constexpr uint32_t PERIOD_MS = 30000;

    explicit A2sChallenge(const SipHashKey& key = {}) : m_Key(key) {}
    void SetKey(const SipHashKey& key) { m_Key = key; }

    // The challenge for `address` now; never the "no challenge" value FFFFFFFF.
    uint32_t Make(uint32_t address, uint32_t nowMs) const;
    // Whether `challenge` is one made for `address` in this period or the one before.
    bool Check(uint32_t address, uint32_t challenge, uint32_t nowMs) const;

private:
    uint32_t ForPeriod(uint32_t address, uint32_t period) const;

    SipHashKey m_Key;
};

} // namespace dravo
