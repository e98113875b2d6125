// The keyed hash of the address table, against the reference vectors of SipHash-2-4.
#include "net/query/SipHash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace dravo {
namespace {

TEST(SipHash, MatchesTheReferenceVectors) {
    // Key 00 01 .. 0f; messages 00 01 .. of length 0 to 15.
    const SipHashKey key{0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL};
    const uint64_t expected[16] = {
        0x726fdb47dd0e0e31ULL, 0x74f839c593dc67fdULL, 0x0d6c8009d9a94f5aULL, 0x85676696d7fb7e2dULL,
        0xcf2794e0277187b7ULL, 0x18765564cd99a68dULL, 0xcbc9466e58fee3ceULL, 0xab0200f58b01d137ULL,
        0x93f5f5799a932462ULL, 0x9e0082df0ba9e4b0ULL, 0x7a5dbbc594ddb9f3ULL, 0xf4b32f46226bada7ULL,
        0x751e8fbc860ee5fbULL, 0x14ea5627c0843d90ULL, 0xf723ca908e7af2eeULL, 0xa129ca6149be45e5ULL};
    unsigned char message[16];
    for (size_t length = 0; length < 16; ++length) {
        message[length] = static_cast<unsigned char>(length);
    }
    for (size_t length = 0; length < 16; ++length) {
        EXPECT_EQ(SipHash24(key, message, length), expected[length]) << length;
    }
}

TEST(SipHash, KeysAreDrawnAnew) {
    std::set<uint64_t> drawn;
    for (int i = 0; i < 8; ++i) {
        const SipHashKey key = NewSipHashKey();
        drawn.insert(key.m_K0 ^ (key.m_K1 * 31));
    }
    EXPECT_EQ(drawn.size(), 8u);
}

} // namespace
} // namespace dravo
