// Tests of command line splitting and of the front end's "+Name" "value" form.
#include "CommandLine.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

CommandLine::Assignment PlusAssignment(std::string_view line) {
    const std::optional<CommandLine::PlusForm> form = CommandLine::ParsePlusForm(line);
    EXPECT_TRUE(form.has_value()) << line;
    if (!form || !form->m_Assignment) {
        ADD_FAILURE() << "not parsed: " << line << " " << (form ? form->m_Error : "");
        return {};
    }
    return *form->m_Assignment;
}

TEST(CommandLine, SplitsWordsAndQuotedWords) {
    const CommandLine words(R"(  set  Name "two words"  tail)");
    ASSERT_EQ(words.Count(), 4u);
    EXPECT_EQ(words.Word(0), "set");
    EXPECT_EQ(words.Word(1), "Name");
    EXPECT_EQ(words.Word(2), "two words");
    EXPECT_EQ(words.Word(3), "tail");
    EXPECT_EQ(words.Rest(1), R"("two words"  tail)");
    EXPECT_EQ(words.Rest(3), "");
}

TEST(CommandLine, RestDropsOneEnclosingPairOfQuotes) {
    const CommandLine words(R"(WorldColorNight "0.5 0.5 0.5")");
    EXPECT_EQ(words.Rest(0), "0.5 0.5 0.5");
    EXPECT_TRUE(CommandLine("   ").Empty());
}

TEST(CommandLine, PlusFormTakesTheValueToTheLastQuote) {
    CommandLine::Assignment plain = PlusAssignment(R"("+ServerName" "Dravo Server")");
    EXPECT_EQ(plain.m_Name, "ServerName");
    EXPECT_EQ(plain.m_Value, "Dravo Server");

    CommandLine::Assignment quotes = PlusAssignment(R"("+ServerName" "The "Best" Server"")");
    EXPECT_EQ(quotes.m_Value, R"(The "Best" Server")");

    CommandLine::Assignment onlyQuote = PlusAssignment(R"("+Q" """)");
    EXPECT_EQ(onlyQuote.m_Value, "\"");

    CommandLine::Assignment backslashes = PlusAssignment(R"("+RezFile0" "Custom\arena.rez\")");
    EXPECT_EQ(backslashes.m_Value, R"(Custom\arena.rez\)");

    CommandLine::Assignment spaces = PlusAssignment("\"+Pad\" \"  x  \"");
    EXPECT_EQ(spaces.m_Value, "  x  ");
}

TEST(CommandLine, PlusFormWithAnEmptyValue) {
    CommandLine::Assignment empty = PlusAssignment(R"("+ServiceName" "")");
    EXPECT_EQ(empty.m_Name, "ServiceName");
    EXPECT_EQ(empty.m_Value, "");
}

TEST(CommandLine, PlusFormTypedByHand) {
    CommandLine::Assignment typed = PlusAssignment("+EmptyExit 1");
    EXPECT_EQ(typed.m_Name, "EmptyExit");
    EXPECT_EQ(typed.m_Value, "1");
}

TEST(CommandLine, MalformedPlusFormsAreErrors) {
    for (const char* line :
         {R"("+Name)", R"("+Name" "unclosed)", R"("+Name""joined")", R"("+Name" "v" junk)", R"("+Name" value)", "+"}) {
        const std::optional<CommandLine::PlusForm> form = CommandLine::ParsePlusForm(line);
        ASSERT_TRUE(form.has_value()) << line;
        EXPECT_FALSE(form->m_Assignment.has_value()) << line;
        EXPECT_FALSE(form->m_Error.empty()) << line;
    }
}

TEST(CommandLine, OtherLinesAreNotThePlusForm) {
    EXPECT_FALSE(CommandLine::ParsePlusForm("set a b").has_value());
    EXPECT_FALSE(CommandLine::ParsePlusForm(R"("quoted" "x")").has_value());
    EXPECT_FALSE(CommandLine::ParsePlusForm("").has_value());
}

} // namespace
} // namespace dravo::ref
