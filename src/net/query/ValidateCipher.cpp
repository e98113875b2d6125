// The validate cipher and its encoding.
#include "net/query/ValidateCipher.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace dravo {
namespace {

constexpr char BASE64_ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

} // namespace

void ValidateEncrypt(uint8_t* data, size_t length, std::string_view key) {
    std::array<uint8_t, 256> table;
    for (size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<uint8_t>(i);
    }
    if (!key.empty()) {
        uint8_t j = 0;
        size_t k = 0;
        for (size_t i = 0; i < table.size(); ++i) {
            j = static_cast<uint8_t>(j + table[i] + static_cast<uint8_t>(key[k]));
            std::swap(table[i], table[j]);
            k = (k + 1) % key.size();
        }
    }
    uint8_t x = 0;
    uint8_t y = 0;
    for (size_t n = 0; n < length; ++n) {
        x = static_cast<uint8_t>(x + data[n] + 1);
        y = static_cast<uint8_t>(y + table[x]);
        std::swap(table[x], table[y]);
        data[n] ^= table[static_cast<uint8_t>(table[x] + table[y])];
    }
}

void ValidateEncode(const uint8_t* data, size_t length, char* output) {
    for (size_t at = 0; at < length; at += 3) {
        const uint8_t b0 = data[at];
        const uint8_t b1 = at + 1 < length ? data[at + 1] : 0;
        const uint8_t b2 = at + 2 < length ? data[at + 2] : 0;
        *output++ = BASE64_ALPHABET[b0 >> 2];
        *output++ = BASE64_ALPHABET[((b0 & 3) << 4) | (b1 >> 4)];
        *output++ = BASE64_ALPHABET[((b1 & 15) << 2) | (b2 >> 6)];
        *output++ = BASE64_ALPHABET[b2 & 63];
    }
    *output = '\0';
}

std::array<char, VALIDATE_CHARS + 1> ValidateValue(std::string_view challenge, std::string_view key) {
    uint8_t work[CHALLENGE_BYTES] = {};
    std::memcpy(work, challenge.data(), std::min(challenge.size(), CHALLENGE_BYTES));
    ValidateEncrypt(work, CHALLENGE_BYTES, key);
    std::array<char, VALIDATE_CHARS + 1> value{};
    ValidateEncode(work, CHALLENGE_BYTES, value.data());
    return value;
}

} // namespace dravo
