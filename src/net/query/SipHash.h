// SipHash: a keyed hash (SipHash-2-4) for tables whose keys come from outside.
//
// Without the key, nobody can choose inputs that fall together in a table: the
// key is drawn from the system's random source when a table is made, unless a
// build fixes it (DRAVO_FIXED_HASH_KEY, for benchmarks that build collisions).
#pragma once

#include <cstddef>
#include <cstdint>

namespace dravo {

struct SipHashKey {
    uint64_t m_K0 = 0;
    uint64_t m_K1 = 0;
};

// SipHash-2-4 of `length` bytes; 64 bits.
uint64_t SipHash24(const SipHashKey& key, const void* data, size_t length);
// A key from the system's random source, or the build's fixed key when it has one.
SipHashKey NewSipHashKey();
// Whether this build has a fixed key (a benchmark build, which floods the table with collisions).
bool SipHashKeyIsFixed();

} // namespace dravo
