// ValidateCipher: the answer to a master server's "secure" challenge.
//
// The first six bytes of the challenge are encrypted with the product's secret
// key by a stream cipher (the RC4 key schedule with a generator whose index
// also adds the data byte) and written as eight Base64 characters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dravo {

constexpr size_t CHALLENGE_BYTES = 6;
constexpr size_t VALIDATE_CHARS = 8;

// Encrypts `data` in place; a fresh table is built for every call.
void ValidateEncrypt(uint8_t* data, size_t length, std::string_view key);
// Writes 4 characters of the RFC 4648 alphabet per 3 bytes (missing bytes count as 0), no padding,
// then a NUL; `output` holds at least (length + 2) / 3 * 4 + 1 characters.
void ValidateEncode(const uint8_t* data, size_t length, char* output);

// The "validate" value for a challenge: its first six characters (zeros past its end), encrypted and encoded.
std::array<char, VALIDATE_CHARS + 1> ValidateValue(std::string_view challenge, std::string_view key);

} // namespace dravo
