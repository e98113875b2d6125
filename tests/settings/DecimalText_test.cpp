// Number text forms of the settings store.
#include "settings/DecimalText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace dravo {
namespace {

TEST(DecimalText, IntegerTakesTheLeadingDigits) {
    EXPECT_EQ(ParseDecimalInt("12abc"), 12);
    EXPECT_EQ(ParseDecimalInt("   -7 frags"), -7);
    EXPECT_EQ(ParseDecimalInt("+42"), 42);
    EXPECT_EQ(ParseDecimalInt("abc"), 0);
    EXPECT_EQ(ParseDecimalInt(""), 0);
    EXPECT_EQ(ParseDecimalInt("-"), 0);
    EXPECT_EQ(ParseDecimalInt("1.9"), 1);
}

TEST(DecimalText, IntegerOutOfRangeIsClamped) {
    EXPECT_EQ(ParseDecimalInt("99999999999999999999"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseDecimalInt("-99999999999999999999"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ParseDecimalInt("-2147483648"), std::numeric_limits<int32_t>::min());
}

TEST(DecimalText, NumberTakesTheLeadingDecimalNumber) {
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("1.000000"), 1.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("  -1.5xyz"), -1.5);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("90.7"), 90.7);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("2e3 "), 2000.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("2e"), 2.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("x"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("."), 0.0);
}

TEST(DecimalText, NumberRefusesForeignForms) {
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("0x10"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("inf"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("nan"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("1e-999"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("1e999"), std::numeric_limits<double>::max());
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("-1e999"), -std::numeric_limits<double>::max());
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("+-1"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("-inf"), 0.0);
    EXPECT_EQ(ParseDecimalInt("+-1"), 0);
    EXPECT_EQ(ParseDecimalInt("--1"), 0);
}

TEST(DecimalText, OutOfRangeNumbersGoByTheirSizeNotTheSignOfTheExponent) {
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber(std::string(400, '9') + "e-5"), std::numeric_limits<double>::max());
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("1e-99999999999999999999"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber("0.1e+99999999999999999999"), std::numeric_limits<double>::max());
}

TEST(DecimalText, LeadingBlanksAreTheCLocalesOnly) {
    EXPECT_EQ(ParseDecimalInt(" \t\n\v\f\r5"), 5);
    EXPECT_DOUBLE_EQ(ParseDecimalNumber(" \t\n\v\f\r-2.5"), -2.5);
    EXPECT_EQ(ParseDecimalInt("\xA0"
                              "5"),
              0);
    EXPECT_EQ(ParseDecimalInt("- 5"), 0); // no blank between the sign and the digits
}

TEST(DecimalText, FormsUseSixDecimals) {
    EXPECT_EQ(FormatDecimalNumber(1.0), "1.000000");
    EXPECT_EQ(FormatDecimalNumber(-1.0), "-1.000000");
    EXPECT_EQ(FormatDecimalInt(-12), "-12");
    EXPECT_EQ(FormatDecimalNumber(-std::numeric_limits<double>::max()).size(), 317u);
}

} // namespace
} // namespace dravo
