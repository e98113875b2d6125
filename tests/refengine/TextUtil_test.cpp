// Tests of the text helpers: number reading, case-insensitive comparison, cutting copies.
#include "TextUtil.h"

#include <cfloat>
#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

TEST(TextUtil, LeadingFloatReadsTheLeadingNumberOnly) {
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("12abc"), 12.0f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("  -1.5"), -1.5f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("\t\n+7.25 rest"), 7.25f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat(".5"), 0.5f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("3."), 3.0f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("12.5.3"), 12.5f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("2e3x"), 2000.0f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("2e"), 2.0f); // no exponent digits: the e is not part of it
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("2e+"), 2.0f);
    EXPECT_FLOAT_EQ(TextUtil::LeadingFloat("-1.000000"), -1.0f);
}

TEST(TextUtil, LeadingFloatIsZeroWithoutANumber) {
    EXPECT_EQ(TextUtil::LeadingFloat("x"), 0.0f);
    EXPECT_EQ(TextUtil::LeadingFloat(""), 0.0f);
    EXPECT_EQ(TextUtil::LeadingFloat("   "), 0.0f);
    EXPECT_EQ(TextUtil::LeadingFloat("-"), 0.0f);
    EXPECT_EQ(TextUtil::LeadingFloat("."), 0.0f);
    EXPECT_EQ(TextUtil::LeadingFloat("inf"), 0.0f);
    EXPECT_EQ(TextUtil::LeadingFloat("0x10"), 0.0f);
}

TEST(TextUtil, LeadingFloatClampsToTheFloatRange) {
    EXPECT_EQ(TextUtil::LeadingFloat("1e400"), FLT_MAX);
    EXPECT_EQ(TextUtil::LeadingFloat("-1e40"), -FLT_MAX);
    EXPECT_EQ(TextUtil::LeadingFloat("1e-400"), 0.0f);
}

TEST(TextUtil, ParseWholeNumberWantsNothingButANumber) {
    long long value = 99;
    EXPECT_TRUE(TextUtil::ParseWholeNumber(" -3 ", value));
    EXPECT_EQ(value, -3);
    EXPECT_TRUE(TextUtil::ParseWholeNumber("+12", value));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(TextUtil::ParseWholeNumber("12abc", value));
    EXPECT_FALSE(TextUtil::ParseWholeNumber("1.5", value));
    EXPECT_FALSE(TextUtil::ParseWholeNumber("", value));
    EXPECT_FALSE(TextUtil::ParseWholeNumber("+-1", value));
    EXPECT_FALSE(TextUtil::ParseWholeNumber("99999999999999999999", value));
}

TEST(TextUtil, ParseNumberRejectsTrailingText) {
    double value = 0.0;
    EXPECT_TRUE(TextUtil::ParseNumber(" 1.500000 ", value));
    EXPECT_DOUBLE_EQ(value, 1.5);
    EXPECT_TRUE(TextUtil::ParseNumber("-1", value));
    EXPECT_DOUBLE_EQ(value, -1.0);
    EXPECT_FALSE(TextUtil::ParseNumber("1.5x", value));
    EXPECT_FALSE(TextUtil::ParseNumber("fast", value));
}

TEST(TextUtil, CopyCutCutsAndTerminates) {
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 'Z');
    EXPECT_TRUE(TextUtil::CopyCut("abcdef", buffer, 4));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], 'Z'); // nothing written past size
    EXPECT_TRUE(TextUtil::CopyCut("abcdef", buffer, 1));
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(TextUtil::CopyCut("ab", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "ab");
}

TEST(TextUtil, CopyCutRefusesNoRoom) {
    char buffer[2] = {'Q', 'Q'};
    EXPECT_FALSE(TextUtil::CopyCut("abc", buffer, 0));
    EXPECT_EQ(buffer[0], 'Q');
    EXPECT_FALSE(TextUtil::CopyCut("abc", nullptr, 10));
}

TEST(TextUtil, CaseInsensitiveComparisonIsAsciiOnly) {
    EXPECT_TRUE(TextUtil::EqualsNoCase("Worlds", "wORLDS"));
    EXPECT_FALSE(TextUtil::EqualsNoCase("Worlds", "World"));
    EXPECT_FALSE(TextUtil::EqualsNoCase("\xC9", "\xE9")); // bytes above 127 compare exactly
    EXPECT_EQ(TextUtil::ToLower("MiXeD\xC9"), "mixed\xC9");
}

} // namespace
} // namespace dravo::ref
