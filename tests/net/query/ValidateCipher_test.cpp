// The answer to the "secure" challenge.
#include "net/query/ValidateCipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace dravo {
namespace {

constexpr const char* KEY = "TbWqXe";

std::string Validate(std::string_view challenge) {
    return ValidateValue(challenge, KEY).data();
}

TEST(ValidateCipher, MatchesIndependentlyComputedValues) {
    EXPECT_EQ(Validate("abcdef"), "mxX1AsRq");
    EXPECT_EQ(Validate("XZQPVK"), "tRmtOAh1");
    EXPECT_EQ(Validate("123456789"), "+sge7E2j"); // only the first six characters count
    EXPECT_EQ(Validate("123456"), "+sge7E2j");
}

TEST(ValidateCipher, ShortChallengesAreFilledWithZeros) {
    const std::string withZeros = Validate(std::string_view("abc\0\0\0", 6));
    EXPECT_EQ(Validate("abc"), withZeros);
    EXPECT_EQ(withZeros.size(), VALIDATE_CHARS);
    EXPECT_NE(withZeros, Validate("abcdef"));
}

TEST(ValidateCipher, EncodeUsesTheRfc4648AlphabetWithoutPadding) {
    const uint8_t data[6] = {0x00, 0x10, 0x83, 0xFF, 0xFF, 0xFF};
    char output[9];
    ValidateEncode(data, sizeof data, output);
    EXPECT_STREQ(output, "ABCD////");
    const uint8_t man[4] = {'M', 'a', 'n', 'M'};
    char partial[9];
    ValidateEncode(man, sizeof man, partial);
    EXPECT_STREQ(partial, "TWFuTQAA"); // missing bytes count as zero, no "="
}

} // namespace
} // namespace dravo
