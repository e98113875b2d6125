// Typing in a one-line edit field: insertion at the caret, deletion either side, caret moves, the
// selected whole text, the shell's Ctrl keys and what a field takes.
#include "window/terminal/TerminalLineEditor.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

struct Field {
    std::string m_Text;
    LineCaret m_Caret;
    LineRules m_Rules;

    bool Key(KeyKind kind, char letter = 0) {
        return TerminalLineEditor::Apply(KeyEvent{kind, letter}, m_Rules, m_Text, m_Caret);
    }
    bool Ctrl(char letter) { return Key(KeyKind::Control, letter); }
    void Type(std::string_view text) {
        for (const char c : text) {
            (void)Key(KeyKind::Char, c);
        }
    }
};

TEST(TerminalLineEditor, InsertsAndDeletesAtTheCaret) {
    Field field{"ac", {1, false, {}}, {}};
    EXPECT_TRUE(field.Key(KeyKind::Char, 'b'));
    EXPECT_EQ(field.m_Text, "abc");
    EXPECT_EQ(field.m_Caret.m_Caret, 2);
    EXPECT_TRUE(field.Key(KeyKind::Backspace));
    EXPECT_TRUE(field.Key(KeyKind::Delete));
    EXPECT_EQ(field.m_Text, "a");
    EXPECT_EQ(field.m_Caret.m_Caret, 1);
    EXPECT_FALSE(field.Key(KeyKind::Delete)) << "nothing after the caret";
    EXPECT_FALSE(field.Key(KeyKind::Home));
    EXPECT_FALSE(field.Key(KeyKind::Backspace)) << "nothing before the caret";
    EXPECT_EQ(field.m_Text, "a");
}

TEST(TerminalLineEditor, CaretMovesStayInsideTheText) {
    Field field{"abc", {99, false, {}}, {}}; // the text was replaced behind the editor's back
    EXPECT_FALSE(field.Key(KeyKind::Right));
    EXPECT_EQ(field.m_Caret.m_Caret, 3);
    EXPECT_FALSE(field.Key(KeyKind::Left));
    EXPECT_EQ(field.m_Caret.m_Caret, 2);
    field.m_Caret.m_Caret = -4;
    EXPECT_FALSE(field.Key(KeyKind::Left));
    EXPECT_EQ(field.m_Caret.m_Caret, 0);
    EXPECT_FALSE(field.Key(KeyKind::End));
    EXPECT_EQ(field.m_Caret.m_Caret, 3);
    EXPECT_FALSE(field.Ctrl('a'));
    EXPECT_EQ(field.m_Caret.m_Caret, 0);
    EXPECT_FALSE(field.Ctrl('e'));
    EXPECT_EQ(field.m_Caret.m_Caret, 3);
}

TEST(TerminalLineEditor, DigitsOnlyFieldsRefuseOtherCharacters) {
    Field field{"", {}, {.m_DigitsOnly = true}};
    EXPECT_TRUE(field.Key(KeyKind::Char, '7'));
    EXPECT_FALSE(field.Key(KeyKind::Char, 'x'));
    EXPECT_FALSE(field.Key(KeyKind::Char, '-'));
    EXPECT_EQ(field.m_Text, "7");
    EXPECT_FALSE(field.Key(KeyKind::Tab));
}

TEST(TerminalLineEditor, SelectedTextIsReplacedByTypingAndRemovedByDeletion) {
    Field field{"27888", {5, true, {}}, {.m_DigitsOnly = true}};
    EXPECT_FALSE(field.Key(KeyKind::Char, 'x')) << "a refused key keeps the selection";
    EXPECT_TRUE(field.m_Caret.m_AllSelected);
    field.Type("255");
    EXPECT_EQ(field.m_Text, "255");
    EXPECT_FALSE(field.m_Caret.m_AllSelected);

    for (const KeyKind deletion : {KeyKind::Backspace, KeyKind::Delete}) {
        Field name{"Dravo Server", {12, true, {}}, {}};
        EXPECT_TRUE(name.Key(deletion));
        EXPECT_EQ(name.m_Text, "");
    }
    Field left{"abc", {3, true, {}}, {}};
    EXPECT_FALSE(left.Key(KeyKind::Left));
    left.Type("x");
    EXPECT_EQ(left.m_Text, "xabc") << "Left goes to the start of the selection and ends it";
    Field end{"abc", {3, true, {}}, {}};
    EXPECT_FALSE(end.Key(KeyKind::End));
    end.Type("d");
    EXPECT_EQ(end.m_Text, "abcd");
}

TEST(TerminalLineEditor, ControlKeysCutAsAShellDoes) {
    Field field{"say hello there", {9, false, {}}, {}}; // after "say hello"
    EXPECT_TRUE(field.Ctrl('w'));
    EXPECT_EQ(field.m_Text, "say  there");
    EXPECT_EQ(field.m_Caret.m_Caret, 4);
    EXPECT_TRUE(field.Ctrl('k'));
    EXPECT_EQ(field.m_Text, "say ");
    EXPECT_TRUE(field.Ctrl('w'));
    EXPECT_EQ(field.m_Text, "") << "blanks before the word go with it";
    field.Type("status");
    field.m_Caret.m_Caret = 3;
    EXPECT_TRUE(field.Ctrl('u'));
    EXPECT_EQ(field.m_Text, "tus");
    EXPECT_EQ(field.m_Caret.m_Caret, 0);
    EXPECT_FALSE(field.Ctrl('u')) << "nothing before the caret";
    EXPECT_FALSE(field.Ctrl('z'));
}

TEST(TerminalLineEditor, AFieldThatDoesNotScrollTakesWhatItsPlaceShows) {
    const ControlTemplate frags{1, ControlKind::Edit, "", {101, 74, 25, 12}, ControlFlag::DigitsOnly};
    const ControlTemplate port{2, ControlKind::Edit, "", {194, 121, 30, 12}, ControlFlag::DigitsOnly};
    const ControlTemplate name{3, ControlKind::Edit, "", {60, 35, 192, 12}, ControlFlag::HorizontalScroll};
    const ControlTemplate tiny{4, ControlKind::Edit, "", {0, 0, 3, 12}};
    EXPECT_EQ(TerminalLineEditor::RulesFor(frags).m_MaxLength, 5u);
    EXPECT_EQ(TerminalLineEditor::RulesFor(port).m_MaxLength, 6u);
    EXPECT_TRUE(TerminalLineEditor::RulesFor(port).m_DigitsOnly);
    EXPECT_EQ(TerminalLineEditor::RulesFor(name).m_MaxLength, std::string::npos);
    EXPECT_FALSE(TerminalLineEditor::RulesFor(name).m_DigitsOnly);
    EXPECT_EQ(TerminalLineEditor::RulesFor(tiny).m_MaxLength, 1u);

    Field field{"", {}, TerminalLineEditor::RulesFor(port)};
    field.Type("6553599");
    EXPECT_EQ(field.m_Text, "655359") << "what does not fit is refused";
    field.m_Caret = {6, true, {}};
    field.Type("8");
    EXPECT_EQ(field.m_Text, "8") << "a full field entered by Tab still takes a new value";
}

TEST(TerminalLineEditor, WordsMoveAndCutAndCtrlYPutsBackWhatWasCutLast) {
    Field field{"kick  slow player", {17, false, {}}, {}};
    (void)field.Key(KeyKind::WordLeft);
    EXPECT_EQ(field.m_Caret.m_Caret, 11);
    (void)field.Key(KeyKind::WordLeft);
    EXPECT_EQ(field.m_Caret.m_Caret, 6) << "over the blanks to the start of the word";
    (void)field.Key(KeyKind::WordRight);
    EXPECT_EQ(field.m_Caret.m_Caret, 10);
    EXPECT_TRUE(field.Key(KeyKind::WordDelete));
    EXPECT_EQ(field.m_Text, "kick  slow");
    EXPECT_TRUE(field.Ctrl('y'));
    EXPECT_EQ(field.m_Text, "kick  slow player");
    EXPECT_TRUE(field.Ctrl('w'));
    EXPECT_EQ(field.m_Text, "kick  slow ");
    (void)field.Key(KeyKind::Home);
    EXPECT_TRUE(field.Ctrl('y'));
    EXPECT_EQ(field.m_Text, "playerkick  slow ");

    Field digits{"25", {2, false, {}}, {true, 4}};
    (void)digits.Key(KeyKind::WordLeft);
    EXPECT_EQ(digits.m_Caret.m_Caret, 0);
    digits.Type("1");
    EXPECT_EQ(digits.m_Text, "125");
    EXPECT_TRUE(digits.Ctrl('k'));
    digits.m_Text = "x9";
    EXPECT_TRUE(digits.Ctrl('y'));
    EXPECT_EQ(digits.m_Text, "x259") << "what was cut goes back within the field's rules";
}

} // namespace
} // namespace dravo

namespace dravo {
namespace {

const std::string E_ACUTE = "\xC3\xA9";                // é
const std::string NI_HON = "\xE6\x97\xA5\xE6\x9C\xAC"; // 日本

bool TypeCharacter(Field& field, const std::string& bytes) {
    return TerminalLineEditor::Apply(KeyEvent{KeyKind::Char, 0, 0, 0, bytes}, field.m_Rules, field.m_Text,
                                     field.m_Caret);
}

TEST(TerminalLineEditorUtf8, MovesAndDeletesWholeCharacters) {
    Field field;
    field.Type("ab");
    EXPECT_TRUE(TypeCharacter(field, E_ACUTE));
    EXPECT_TRUE(TypeCharacter(field, "\xE6\x97\xA5"));
    EXPECT_EQ(field.m_Text, "ab" + E_ACUTE + "\xE6\x97\xA5");
    EXPECT_FALSE(field.Key(KeyKind::Left));
    EXPECT_EQ(field.m_Caret.m_Caret, 4) << "before the whole 日";
    EXPECT_FALSE(field.Key(KeyKind::Left));
    EXPECT_EQ(field.m_Caret.m_Caret, 2) << "before the whole é";
    field.Type("X");
    EXPECT_EQ(field.m_Text, "abX" + E_ACUTE + "\xE6\x97\xA5");
    EXPECT_TRUE(field.Key(KeyKind::Delete));
    EXPECT_EQ(field.m_Text, "abX\xE6\x97\xA5") << "Delete takes the é whole";
    EXPECT_FALSE(field.Key(KeyKind::End));
    EXPECT_TRUE(field.Key(KeyKind::Backspace));
    EXPECT_EQ(field.m_Text, "abX") << "Backspace takes the 日 whole";
    field.m_Caret.m_Caret = 1;
    field.m_Text = "a" + E_ACUTE;
    field.m_Caret.m_Caret = 2; // inside the é: the text changed behind the editor's back
    EXPECT_FALSE(field.Key(KeyKind::Right));
    EXPECT_EQ(field.m_Caret.m_Caret, 3);
}

TEST(TerminalLineEditorUtf8, WordMovesAndCutsKeepCharactersWhole) {
    Field field{"Nuit des Hiboux " + E_ACUTE + " " + NI_HON, {}, {}};
    field.m_Caret.m_Caret = static_cast<int>(field.m_Text.size());
    EXPECT_TRUE(field.Ctrl('w'));
    EXPECT_EQ(field.m_Caret.m_Cut, NI_HON);
    EXPECT_TRUE(field.Key(KeyKind::Backspace)); // the blank
    EXPECT_FALSE(field.Key(KeyKind::WordLeft));
    EXPECT_EQ(field.m_Text.substr(static_cast<size_t>(field.m_Caret.m_Caret)), E_ACUTE);
    EXPECT_TRUE(field.Ctrl('y'));
    EXPECT_EQ(field.m_Text, "Nuit des Hiboux " + NI_HON + E_ACUTE);
}

TEST(TerminalLineEditorUtf8, TheByteLimitRefusesACharacterThatDoesNotFitWhole) {
    Field field;
    field.m_Rules.m_MaxLength = 5;
    field.Type("abcd");
    EXPECT_FALSE(TypeCharacter(field, E_ACUTE)) << "two bytes in one free byte";
    EXPECT_EQ(field.m_Text, "abcd");
    EXPECT_TRUE(field.Key(KeyKind::Char, 'e'));
    field.m_Text = "ab";
    field.m_Caret = {2, false, NI_HON};
    EXPECT_TRUE(field.Ctrl('y')) << "what fits of the cut goes in";
    EXPECT_EQ(field.m_Text, "ab\xE6\x97\xA5") << "and never a part of a character";
    field.m_Rules.m_DigitsOnly = true;
    field.m_Text.clear();
    EXPECT_FALSE(TypeCharacter(field, "\xEF\xBC\x91")) << "a full-width digit is no digit";
    field.m_Caret.m_AllSelected = true;
    field.m_Text = "25";
    EXPECT_FALSE(TypeCharacter(field, E_ACUTE));
    EXPECT_EQ(field.m_Text, "25");
}

} // namespace
} // namespace dravo
