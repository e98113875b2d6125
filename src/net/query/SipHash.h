// SipHash: a keyed hash (SipHash-2-4) for tables whose keys come from outside.
//
// Without the key, nobody can choose inputs that fall together in a table: the
// key is drawn from the system's random source when a table is made. NewSipHashKey
// lives in a file of its own (SipHashKey.cpp), so that a benchmark program can link
// its own fixed key in its place; the product has no way to fix one.
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
// A key from the system's random source.
SipHashKey NewSipHashKey();

} // namespace dravo
