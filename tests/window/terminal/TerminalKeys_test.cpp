// What the screen's key codes and mouse reports mean to a dialog.
#include "window/terminal/TerminalKeys.h"

#include <gtest/gtest.h>

#include <curses.h>

namespace dravo {
namespace {

KeyEvent Key(int code) {
    return TerminalKeys::Translate(code);
}

TEST(TerminalKeys, NamedKeysAndTheirAlternativeCodes) {
    EXPECT_EQ(Key('\t').m_Kind, KeyKind::Tab);
    EXPECT_EQ(Key(KEY_BTAB).m_Kind, KeyKind::BackTab);
    for (const int enter : {int{'\n'}, int{'\r'}, KEY_ENTER}) {
        EXPECT_EQ(Key(enter).m_Kind, KeyKind::Enter) << enter;
    }
    for (const int backspace : {KEY_BACKSPACE, 8, 127}) {
        EXPECT_EQ(Key(backspace).m_Kind, KeyKind::Backspace) << backspace;
    }
    EXPECT_EQ(Key(KEY_DC).m_Kind, KeyKind::Delete);
    EXPECT_EQ(Key(KEY_UP).m_Kind, KeyKind::Up);
    EXPECT_EQ(Key(KEY_DOWN).m_Kind, KeyKind::Down);
    EXPECT_EQ(Key(KEY_PPAGE).m_Kind, KeyKind::PageUp);
    EXPECT_EQ(Key(KEY_NPAGE).m_Kind, KeyKind::PageDown);
    EXPECT_EQ(Key(KEY_HOME).m_Kind, KeyKind::Home);
    EXPECT_EQ(Key(KEY_END).m_Kind, KeyKind::End);
    EXPECT_EQ(Key(3).m_Kind, KeyKind::Interrupt);
    EXPECT_EQ(Key(KEY_RESIZE).m_Kind, KeyKind::Resize);
    EXPECT_EQ(Key(KEY_F(5)).m_Kind, KeyKind::None);
    EXPECT_EQ(Key(12).m_Kind, KeyKind::Repaint) << "Ctrl+L";
    EXPECT_EQ(Key(0x0f).m_Kind, KeyKind::None) << "other control characters do nothing";
    EXPECT_EQ(Key(0x1a).m_Kind, KeyKind::None);
}

TEST(TerminalKeys, ControlLettersThatEditAreNamedByTheirLetter) {
    for (const char letter : {'a', 'e', 'k', 'u', 'w', 'y'}) {
        const KeyEvent key = Key(letter - 'a' + 1);
        EXPECT_EQ(key.m_Kind, KeyKind::Control) << letter;
        EXPECT_EQ(key.m_Letter, letter);
    }
}

TEST(TerminalKeys, PrintableCharactersAreTyped) {
    const KeyEvent space = Key(' ');
    EXPECT_EQ(space.m_Kind, KeyKind::Char);
    EXPECT_EQ(space.m_Letter, ' ');
    EXPECT_EQ(Key('~').m_Letter, '~');
}

TEST(TerminalKeys, ShellControlLettersMoveAndDeleteAsTheKeysTheyStandFor) {
    EXPECT_EQ(Key('b' - 'a' + 1).m_Kind, KeyKind::Left);
    EXPECT_EQ(Key('f' - 'a' + 1).m_Kind, KeyKind::Right);
    EXPECT_EQ(Key('p' - 'a' + 1).m_Kind, KeyKind::Up);
    EXPECT_EQ(Key('n' - 'a' + 1).m_Kind, KeyKind::Down);
    EXPECT_EQ(Key('d' - 'a' + 1).m_Kind, KeyKind::Delete);
    EXPECT_EQ(Key('y' - 'a' + 1).m_Kind, KeyKind::Control);
}

TEST(TerminalKeys, MouseReportsBecomeClicksAtTheirCell) {
    const KeyEvent click = TerminalKeys::FromMouse(BUTTON1_CLICKED, 12, 7);
    EXPECT_EQ(click.m_Kind, KeyKind::Click);
    EXPECT_EQ(click.m_Col, 12);
    EXPECT_EQ(click.m_Row, 7);
    EXPECT_EQ(TerminalKeys::FromMouse(BUTTON1_DOUBLE_CLICKED, 1, 2).m_Kind, KeyKind::DoubleClick);
    EXPECT_EQ(TerminalKeys::FromMouse(BUTTON3_CLICKED, 1, 2).m_Kind, KeyKind::None);
}

} // namespace
} // namespace dravo
