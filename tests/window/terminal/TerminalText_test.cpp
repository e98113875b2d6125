// UTF-8 walked character by character: whole characters, bytes that are not UTF-8, cell widths.
#include "window/terminal/TerminalText.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

TEST(TerminalText, WalksWholeCharactersForwardAndBack) {
    const std::string text = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80z"; // a é 日 😀 z
    std::vector<size_t> starts;
    for (size_t at = 0; at < text.size(); at = TerminalText::Next(text, at)) {
        starts.push_back(at);
    }
    EXPECT_EQ(starts, (std::vector<size_t>{0, 1, 3, 6, 10}));
    std::vector<size_t> back;
    for (size_t at = text.size(); at > 0;) {
        at = TerminalText::Previous(text, at);
        back.push_back(at);
    }
    EXPECT_EQ(back, (std::vector<size_t>{10, 6, 3, 1, 0}));
    EXPECT_EQ(TerminalText::At(text, 3).m_Code, U'\u65E5');
    EXPECT_EQ(TerminalText::At(text, 6).m_Code, U'\U0001F600');
    const std::pair<size_t, size_t> inside[] = {{2, 1}, {4, 3}, {5, 3}, {7, 6}, {8, 6}, {9, 6}};
    for (const auto& [at, start] : inside) {
        EXPECT_EQ(TerminalText::Boundary(text, at), start) << "never inside a character: " << at;
    }
}

TEST(TerminalText, BytesThatAreNotUtf8AreCharactersOfOneByteShownAsAQuestionMark) {
    // A Latin-1 é, an overlong '/', a surrogate, a lead cut short by ASCII, a stray continuation byte.
    for (const std::string bad : {"\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xC3x", "\x80", "\xF5\x80\x80\x80"}) {
        const TextCharacter first = TerminalText::At(bad, 0);
        EXPECT_FALSE(first.m_Valid) << testing::PrintToString(bad);
        EXPECT_EQ(first.m_Bytes, 1U);
        EXPECT_EQ(first.m_Code, TerminalText::REPLACEMENT);
        EXPECT_FALSE(TerminalText::IsWholeCharacter(bad));
    }
    const std::string mixed = "\xC3\xC3\xA9";        // a lead cut short, then a whole é
    EXPECT_EQ(TerminalText::Next(mixed, 0), 1U);     // the cut lead alone
    EXPECT_EQ(TerminalText::Next(mixed, 1), 3U);     // the é whole
    EXPECT_EQ(TerminalText::Boundary(mixed, 2), 1U); // inside the é
    EXPECT_EQ(TerminalText::Columns("\x80\x81\x82"), 3) << "one cell a stray byte";
}

TEST(TerminalText, WidthsFitAndByteLimitsKeepToWholeCharacters) {
    EXPECT_EQ(TerminalText::Columns("Nuit des Hiboux \xC3\xA9"), 17);
    EXPECT_EQ(TerminalText::Columns("\xE6\x97\xA5\xE6\x9C\xAC"), 4); // 日本: two wide characters
    EXPECT_EQ(TerminalText::Columns("e\xCC\x81"), 2) << "a joining mark takes a cell of its own";
    const std::string japan = "\xE6\x97\xA5\xE6\x9C\xAC";
    EXPECT_EQ(TerminalText::FitColumns(japan, 3), 3U) << "the second wide character needs two cells";
    EXPECT_EQ(TerminalText::FitColumns(japan, 1), 0U);
    EXPECT_EQ(TerminalText::FitBytes(japan, 5), 3U);
    EXPECT_EQ(TerminalText::FitBytes(japan, 6), 6U);
    EXPECT_EQ(TerminalText::FitBytes("ab\xC3\xA9", 3), 2U);
    char bytes[4];
    for (const char32_t code : {U'A', U'\u00E9', U'\u65E5', U'\U0001F600'}) {
        const std::string encoded(bytes, TerminalText::Encode(code, bytes));
        EXPECT_TRUE(TerminalText::IsWholeCharacter(encoded));
        EXPECT_EQ(TerminalText::At(encoded, 0).m_Code, code);
    }
}

} // namespace
} // namespace dravo
