// Console lines split into words as the engine splits them, and the variable a line sets.
#include "host/commands/CommandWords.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(CommandWords, BlanksSplitAndQuotesHoldWords) {
    const CommandWords words("  kick\t\"Ace of Spades\"  cheating  again ");
    ASSERT_EQ(words.Count(), 4u);
    EXPECT_EQ(words.Word(0), "kick");
    EXPECT_EQ(words.Word(1), "Ace of Spades");
    EXPECT_EQ(words.Word(9), "");
    EXPECT_EQ(words.Rest(1), "cheating  again");
    EXPECT_EQ(words.Rest(3), "");
    EXPECT_EQ(CommandWords("say \"all of it\"").Rest(0), "all of it") << "a wholly quoted rest loses its quotes";
    EXPECT_EQ(CommandWords("a \"unclosed rest").Word(1), "unclosed rest");
    EXPECT_EQ(CommandWords("x\"y\"z").Count(), 3u) << "a quote ends a word";
    EXPECT_TRUE(CommandWords(" \t ").Empty());
}

TEST(CommandWords, TheVariableALineSetsInEveryForm) {
    const auto plain = CommandWords::Assigned("MaxPlayers 8");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->m_Name, "MaxPlayers");
    EXPECT_EQ(plain->m_Value, "8");
    EXPECT_TRUE(plain->m_HasValue);
    const auto set = CommandWords::Assigned("SET ServerName Night Owls");
    ASSERT_TRUE(set);
    EXPECT_EQ(set->m_Name, "ServerName");
    EXPECT_EQ(set->m_Value, "Night Owls");
    const auto quoted = CommandWords::Assigned("  \"+ServerName\"   \"Night \"Owls\"\" ");
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->m_Name, "ServerName");
    EXPECT_EQ(quoted->m_Value, "Night \"Owls\"") << "the value runs to the last quote";
    const auto typed = CommandWords::Assigned("+RunSpeed 1.5");
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->m_Name, "RunSpeed");
    EXPECT_EQ(typed->m_Value, "1.5");
    const auto asked = CommandWords::Assigned("MaxPlayers");
    ASSERT_TRUE(asked);
    EXPECT_FALSE(asked->m_HasValue);
    EXPECT_FALSE(CommandWords::Assigned(""));
    EXPECT_FALSE(CommandWords::PlusForm("\"+Name\" value"));
    EXPECT_FALSE(CommandWords::PlusForm("\"+Name value"));
    EXPECT_FALSE(CommandWords::PlusForm("+ "));
}

} // namespace
} // namespace dravo
