// An edit control's text counts lines, finds line starts and replaces ranges like the control does.
#include "window/EditText.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

TEST(EditText, CountsLinesAcrossBothBreakForms) {
    EditText edit;
    EXPECT_EQ(edit.LineCount(), 1); // an empty edit has one line
    edit.SetText("one");
    EXPECT_EQ(edit.LineCount(), 1);
    edit.SetText("one\r\ntwo\nthree");
    EXPECT_EQ(edit.LineCount(), 3);
    edit.SetText("one\r\n");
    EXPECT_EQ(edit.LineCount(), 2); // a break at the end starts an empty last line
}

TEST(EditText, LineIndexIsTheFirstCharacterOfTheLine) {
    EditText edit;
    edit.SetText("ab\r\ncde\nf");
    EXPECT_EQ(edit.LineIndex(0), 0);
    EXPECT_EQ(edit.LineIndex(1), 4);
    EXPECT_EQ(edit.LineIndex(2), 8);
    EXPECT_EQ(edit.LineIndex(3), -1);
    EXPECT_EQ(edit.LineIndex(-1), -1);
}

TEST(EditText, ReplaceRangeChecksItsBounds) {
    EditText edit;
    edit.SetText("hello world");
    EXPECT_FALSE(edit.ReplaceRange(-1, 2, ""));
    EXPECT_FALSE(edit.ReplaceRange(5, 4, ""));
    EXPECT_FALSE(edit.ReplaceRange(0, 12, ""));
    EXPECT_EQ(edit.Text(), "hello world");
    EXPECT_TRUE(edit.ReplaceRange(0, 6, ""));
    EXPECT_EQ(edit.Text(), "world");
    EXPECT_TRUE(edit.ReplaceRange(5, 5, "!"));
    EXPECT_EQ(edit.Text(), "world!");
    EXPECT_EQ(edit.Caret(), 6);
}

TEST(EditText, AppendPutsTheCaretAtTheEnd) {
    EditText edit;
    edit.SetText("start");
    EXPECT_EQ(edit.Caret(), 0);
    EXPECT_TRUE(edit.Append("\r\nnext"));
    EXPECT_EQ(edit.Text(), "start\r\nnext");
    EXPECT_EQ(edit.Caret(), edit.Length());
}

TEST(EditText, TrimmingByLineIndexKeepsTheNewestLines) {
    // The console log's trim: find where line N starts and delete everything before it.
    EditText edit;
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(edit.Append("\r\nline " + std::to_string(i)));
    }
    ASSERT_EQ(edit.LineCount(), 601);
    const int cut = edit.LineIndex(edit.LineCount() * 75 / 100);
    ASSERT_GT(cut, 0);
    ASSERT_TRUE(edit.ReplaceRange(0, cut, ""));
    EXPECT_EQ(edit.LineCount(), 601 - 450);
    EXPECT_EQ(edit.Text().substr(0, 9), "line 449\r");
    EXPECT_EQ(edit.Text().substr(edit.Text().size() - 8), "line 599");
}

TEST(EditText, RefusesToGrowPastItsLimit) {
    EditText edit;
    edit.SetText(std::string(EditText::MAX_LENGTH + 10, 'x'));
    EXPECT_EQ(edit.Length(), EditText::MAX_LENGTH);
    EXPECT_FALSE(edit.Append("y"));
    EXPECT_FALSE(edit.ReplaceRange(0, 0, "y"));
    EXPECT_TRUE(edit.ReplaceRange(0, 1, "y"));
    EXPECT_EQ(edit.Length(), EditText::MAX_LENGTH);
}

} // namespace
} // namespace dravo
