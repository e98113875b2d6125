// Typing in a one-line edit field: insertion at the caret, deletion either side, caret moves.
#include "platform/window/TerminalLineEditor.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

bool Apply(KeyKind kind, std::string& text, int& caret, char letter = 0, bool digitsOnly = false) {
    return TerminalLineEditor::Apply(KeyEvent{kind, letter}, digitsOnly, text, caret);
}

TEST(TerminalLineEditor, InsertsAndDeletesAtTheCaret) {
    std::string text = "ac";
    int caret = 1;
    EXPECT_TRUE(Apply(KeyKind::Char, text, caret, 'b'));
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(caret, 2);
    EXPECT_TRUE(Apply(KeyKind::Backspace, text, caret));
    EXPECT_TRUE(Apply(KeyKind::Delete, text, caret));
    EXPECT_EQ(text, "a");
    EXPECT_EQ(caret, 1);
    EXPECT_FALSE(Apply(KeyKind::Delete, text, caret)) << "nothing after the caret";
    EXPECT_FALSE(Apply(KeyKind::Home, text, caret));
    EXPECT_FALSE(Apply(KeyKind::Backspace, text, caret)) << "nothing before the caret";
    EXPECT_EQ(text, "a");
}

TEST(TerminalLineEditor, CaretMovesStayInsideTheText) {
    std::string text = "abc";
    int caret = 99; // the text was replaced behind the editor's back
    EXPECT_FALSE(Apply(KeyKind::Right, text, caret));
    EXPECT_EQ(caret, 3);
    EXPECT_FALSE(Apply(KeyKind::Left, text, caret));
    EXPECT_EQ(caret, 2);
    caret = -4;
    EXPECT_FALSE(Apply(KeyKind::Left, text, caret));
    EXPECT_EQ(caret, 0);
    EXPECT_FALSE(Apply(KeyKind::End, text, caret));
    EXPECT_EQ(caret, 3);
}

TEST(TerminalLineEditor, DigitsOnlyFieldsRefuseOtherCharacters) {
    std::string text;
    int caret = 0;
    EXPECT_TRUE(Apply(KeyKind::Char, text, caret, '7', true));
    EXPECT_FALSE(Apply(KeyKind::Char, text, caret, 'x', true));
    EXPECT_FALSE(Apply(KeyKind::Char, text, caret, '-', true));
    EXPECT_EQ(text, "7");
    EXPECT_FALSE(Apply(KeyKind::Tab, text, caret));
}

} // namespace
} // namespace dravo
