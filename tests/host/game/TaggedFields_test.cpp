// Reading and writing tagged-field text.
#include "host/game/TaggedFields.h"

#include <gtest/gtest.h>

#include <limits>

namespace dravo {
namespace {

TEST(TaggedFields, FindsFieldsByWholeTag) {
    const std::string message = "[GMSG:0][CLEV:Worlds/Arena1.dat][PLRN10:Zed][PLRN1:Ace]";
    EXPECT_EQ(FindField(message, "GMSG"), "0");
    EXPECT_EQ(FindField(message, "CLEV"), "Worlds/Arena1.dat");
    EXPECT_EQ(FindField(message, "PLRN1"), "Ace");
    EXPECT_EQ(FindField(message, "PLRN10"), "Zed");
    EXPECT_EQ(FindField("[PLRN10:Zed]", "PLRN1"), std::nullopt);
    EXPECT_EQ(FindField(message, "PLRN"), std::nullopt);
    EXPECT_EQ(FindField(message, "gmsg"), std::nullopt);
    EXPECT_EQ(FindField("", "GMSG"), std::nullopt);
    // The first occurrence wins; a value runs to the first "]" after it.
    EXPECT_EQ(FindField("[GMSG:1][GMSG:2]", "GMSG"), "1");
    EXPECT_EQ(FindField("[CMSG:a:b[c][GMSG:2]", "CMSG"), "a:b[c");
}

TEST(TaggedFields, EmptyUnterminatedOrShortValueIsAbsent) {
    EXPECT_EQ(FindField("[CLEV:][NLEV:Worlds/Pit.dat]", "CLEV"), std::nullopt);
    EXPECT_EQ(FindField("[CLEV:][NLEV:Worlds/Pit.dat]", "NLEV"), "Worlds/Pit.dat");
    EXPECT_EQ(FindField("[CLEV:Worlds/Arena1.dat", "CLEV"), std::nullopt);
    EXPECT_EQ(FindField("[CLEV:]", "CLEV"), std::nullopt);
    EXPECT_EQ(FindField("[GMSG:1", "GMSG"), std::nullopt);
    EXPECT_EQ(FindField("[PLRS:2][GMSG:", "GMSG"), std::nullopt);
    EXPECT_EQ(FindField("[GMSG:1]", "GMSG"), "1");
}

TEST(TaggedFields, LongValueIsCutToTheBuffer) {
    const std::string longValue(200, 'v');
    const std::string message = "[CMSG:" + longValue + "][GMSG:2]";
    EXPECT_EQ(FindField(message, "CMSG"), longValue.substr(0, FIELD_VALUE_CHARS));
    EXPECT_EQ(FindField(message, "CMSG", PLAYER_NAME_CHARS), longValue.substr(0, PLAYER_NAME_CHARS));
    const std::string exact(FIELD_VALUE_CHARS, 'x');
    EXPECT_EQ(FindField("[CMSG:" + exact + "]", "CMSG"), exact);
}

TEST(TaggedFields, IntegerFieldReadsLeadingDigits) {
    EXPECT_EQ(FindFieldInt("[PLRS:12]", "PLRS"), 12);
    EXPECT_EQ(FindFieldInt("[PLRF1:-3]", "PLRF1"), -3);
    EXPECT_EQ(FindFieldInt("[GMSG:2x]", "GMSG"), 2);
    EXPECT_EQ(FindFieldInt("[GMSG:x]", "GMSG"), 0);
    EXPECT_EQ(FindFieldInt("[GMSG:]", "GMSG"), std::nullopt);
}

TEST(TaggedFields, AppendWritesFieldsAndRefusesEmptyValue) {
    std::string text;
    EXPECT_TRUE(AppendField(text, "NAME", "Friday Frags"));
    EXPECT_FALSE(AppendField(text, "LEVL", ""));
    EXPECT_TRUE(AppendFieldInt(text, "TYPE", -5));
    EXPECT_TRUE(AppendFieldInt(text, "MIN", std::numeric_limits<int32_t>::min()));
    EXPECT_EQ(text, "[NAME:Friday Frags][TYPE:-5][MIN:-2147483648]");
}

TEST(TaggedFields, BracketInValueCannotEndTheFieldEarly) {
    std::string text = "[GMSG:2]";
    EXPECT_TRUE(AppendField(text, "NAME", "[Clan]Ace]"));
    EXPECT_TRUE(AppendFieldInt(text, "TYPE", 1));
    EXPECT_EQ(text, "[GMSG:2][NAME:[Clan)Ace)][TYPE:1]");
    EXPECT_EQ(FindField(text, "NAME"), "[Clan)Ace)");
    EXPECT_EQ(FindFieldInt(text, "TYPE"), 1);
    EXPECT_EQ(FindFieldInt(text, "GMSG"), 2);
}

} // namespace
} // namespace dravo
