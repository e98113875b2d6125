// The query tokenizer: separators, runs of them, spaces and high bytes.
#include "net/query/QueryTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravo {
namespace {

std::vector<std::string> Tokens(std::string_view text) {
    QueryTokenizer tokenizer;
    tokenizer.Start(text);
    std::vector<std::string> tokens;
    for (std::string_view token = tokenizer.Next(); !token.empty(); token = tokenizer.Next()) {
        tokens.emplace_back(token);
    }
    return tokens;
}

using List = std::vector<std::string>;

TEST(QueryTokenizer, SplitsOnBackslashesWithoutEmptyTokens) {
    EXPECT_EQ(Tokens("\\basic\\"), List{"basic"});
    EXPECT_EQ(Tokens("\\echo\\\\status\\"), (List{"echo", "status"}));
    EXPECT_EQ(Tokens("\\\\\\\\info\\\\\\rules"), (List{"info", "rules"}));
    EXPECT_EQ(Tokens("players"), List{"players"});
    EXPECT_EQ(Tokens(""), List{});
    EXPECT_EQ(Tokens("\\\\\\"), List{});
}

TEST(QueryTokenizer, SpacesBelongToTokensControlAndHighBytesSeparate) {
    EXPECT_EQ(Tokens("\\echo\\hello world \\"), (List{"echo", "hello world "}));
    EXPECT_EQ(Tokens("\\ba\xE9sic\\"), (List{"ba", "sic"}));
    EXPECT_EQ(Tokens("\\in\x80\xFF"
                     "fo\\"),
              (List{"in", "fo"}));
    EXPECT_EQ(Tokens("\\ba\nsic\t\\x\x1F"), (List{"ba", "sic", "x"}));
    EXPECT_EQ(Tokens("\\~\x7F"), (List{"~\x7F"})); // 0x7F is a token byte
}

TEST(QueryTokenizer, StopsAtNulAndKeepsAtMost1023Bytes) {
    EXPECT_EQ(Tokens(std::string_view("\\basic\0\\info", 12)), List{"basic"});
    const std::string longQuery = "\\" + std::string(1022, 'a') + "bcdef";
    const List tokens = Tokens(longQuery);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0], std::string(1022, 'a')); // 1023 bytes kept: the backslash and 1022 letters
}

TEST(QueryTokenizer, StartingOverForgetsThePreviousText) {
    QueryTokenizer tokenizer;
    tokenizer.Start("\\a\\b");
    EXPECT_EQ(tokenizer.Next(), "a");
    tokenizer.Start("\\c");
    EXPECT_EQ(tokenizer.Next(), "c");
    EXPECT_EQ(tokenizer.Next(), "");
    EXPECT_EQ(tokenizer.Next(), "");
}

} // namespace
} // namespace dravo
