// SipHash-2-4 and its keys.
#include "net/query/SipHash.h"

namespace dravo {
namespace {

constexpr uint64_t Rotate(uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

struct State {
    uint64_t m_V0;
    uint64_t m_V1;
    uint64_t m_V2;
    uint64_t m_V3;

    void Round() {
        m_V0 += m_V1;
        m_V1 = Rotate(m_V1, 13) ^ m_V0;
        m_V0 = Rotate(m_V0, 32);
        m_V2 += m_V3;
        m_V3 = Rotate(m_V3, 16) ^ m_V2;
        m_V0 += m_V3;
        m_V3 = Rotate(m_V3, 21) ^ m_V0;
        m_V2 += m_V1;
        m_V1 = Rotate(m_V1, 17) ^ m_V2;
        m_V2 = Rotate(m_V2, 32);
    }
    void Compress(uint64_t word) {
        m_V3 ^= word;
        Round();
        Round();
        m_V0 ^= word;
    }
};

// Eight bytes as a little-endian number, whatever the machine's order.
uint64_t LittleEndian(const unsigned char* bytes, size_t count) {
    uint64_t word = 0;
    for (size_t i = 0; i < count; ++i) {
        word |= uint64_t{bytes[i]} << (8 * i);
    }
    return word;
}

} // namespace

uint64_t SipHash24(const SipHashKey& key, const void* data, size_t length) {
    State state{key.m_K0 ^ 0x736f6d6570736575ULL, key.m_K1 ^ 0x646f72616e646f6dULL, key.m_K0 ^ 0x6c7967656e657261ULL,
                key.m_K1 ^ 0x7465646279746573ULL};
    const auto* bytes = static_cast<const unsigned char*>(data);
    const size_t whole = length / 8 * 8;
    for (size_t at = 0; at < whole; at += 8) {
        state.Compress(LittleEndian(bytes + at, 8));
    }
    state.Compress(LittleEndian(bytes + whole, length - whole) | uint64_t{length & 0xFF} << 56);
    state.m_V2 ^= 0xFF;
    for (int round = 0; round < 4; ++round) {
        state.Round();
    }
    return state.m_V0 ^ state.m_V1 ^ state.m_V2 ^ state.m_V3;
}

} // namespace dravo
