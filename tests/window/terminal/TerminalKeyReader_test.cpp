// Escape sequences read whole: split, modified, unknown, and Esc alone.
#include "window/terminal/TerminalKeyReader.h"

#include <gtest/gtest.h>

#include <curses.h>

#include <string_view>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using Clock = TerminalKeyReader::Clock;

class TerminalKeyReaderTest : public ::testing::Test {
protected:
    // Feeds the bytes as they arrive in one read, and what is there once nothing more comes.
    std::vector<KeyEvent> Feed(std::string_view bytes) {
        std::vector<KeyEvent> keys;
        for (const char byte : bytes) {
            m_Reader.Feed(static_cast<unsigned char>(byte), m_Now, keys);
        }
        m_Reader.Expire(m_Now, keys);
        return keys;
    }
    std::vector<KeyKind> Kinds(std::string_view bytes) {
        std::vector<KeyKind> kinds;
        for (const KeyEvent& key : Feed(bytes)) {
            kinds.push_back(key.m_Kind);
        }
        return kinds;
    }
    void Pass(Clock::duration time) { m_Now += time; }

    TerminalKeyReader m_Reader;
    Clock::time_point m_Now = Clock::time_point{} + 1h;
};

TEST_F(TerminalKeyReaderTest, ModifiedArrowsAndDeleteOfXtermTmuxAndScreenAreKeysNeverText) {
    using enum KeyKind;
    EXPECT_EQ(Kinds("\x1b[1;5D"), std::vector{WordLeft}) << "Ctrl+Left";
    EXPECT_EQ(Kinds("\x1b[1;3D"), std::vector{WordLeft}) << "Alt+Left";
    EXPECT_EQ(Kinds("\x1b[1;5C"), std::vector{WordRight}) << "Ctrl+Right";
    EXPECT_EQ(Kinds("\x1b[1;2C"), std::vector{Right}) << "Shift+Right moves as Right";
    EXPECT_EQ(Kinds("\x1b[3;5~"), std::vector{WordDelete}) << "Ctrl+Delete";
    EXPECT_EQ(Kinds("\x1b[3~"), std::vector{Delete});
    EXPECT_EQ(Kinds("\x1bOD"), std::vector{Left}) << "an arrow in application mode";
    EXPECT_EQ(Kinds("\x1bO5C"), std::vector{WordRight}) << "screen's Ctrl+Right";
    EXPECT_EQ(Kinds("\x1b[5~\x1b[6~\x1b[1~\x1b[4~"), (std::vector{PageUp, PageDown, Home, End}));
    EXPECT_EQ(Kinds("\x1b[Z"), std::vector{BackTab});
    EXPECT_EQ(Kinds("\x1bOM"), std::vector{Enter});
    EXPECT_TRUE(Kinds("\x1b[15;5~\x1b[2~\x1b[?1;2c\x1b[<0;3;4M").empty()) << "unknown keys are dropped whole";
}

TEST_F(TerminalKeyReaderTest, ASequenceSplitAcrossReadsIsStillOneKey) {
    std::vector<KeyEvent> keys;
    m_Reader.Feed(TerminalKeys::ESCAPE, m_Now, keys);
    m_Reader.Feed('O', m_Now, keys);
    Pass(100ms);
    m_Reader.Expire(m_Now, keys);
    ASSERT_TRUE(keys.empty()) << "ESC O begins a key; it is never Alt+O";
    ASSERT_TRUE(m_Reader.Deadline().has_value());
    m_Reader.Feed('A', m_Now, keys);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys.front().m_Kind, KeyKind::Up);

    keys.clear();
    m_Reader.Feed(TerminalKeys::ESCAPE, m_Now, keys);
    m_Reader.Feed('[', m_Now, keys);
    m_Reader.Feed('1', m_Now, keys);
    Pass(TerminalKeyReader::SEQUENCE_WAIT);
    m_Reader.Expire(m_Now, keys);
    EXPECT_TRUE(keys.empty()) << "a sequence never finished is dropped";
    EXPECT_FALSE(m_Reader.Deadline().has_value());
    m_Reader.Feed('x', m_Now, keys);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys.front().m_Kind, KeyKind::Char) << "and typing goes on as typing";
}

TEST_F(TerminalKeyReaderTest, EscapeWithALetterIsAltAndEscapeAloneWaitsForWhatFollows) {
    const auto alt = Feed("\x1bn");
    ASSERT_EQ(alt.size(), 1u);
    EXPECT_EQ(alt.front().m_Kind, KeyKind::Alt);
    EXPECT_EQ(alt.front().m_Letter, 'n');

    std::vector<KeyEvent> keys;
    m_Reader.Feed(TerminalKeys::ESCAPE, m_Now, keys);
    m_Reader.Expire(m_Now, keys);
    EXPECT_TRUE(keys.empty()) << "not yet: the rest of a key may be on its way";
    ASSERT_EQ(m_Reader.Deadline(), m_Now + TerminalKeyReader::ESCAPE_WAIT);
    Pass(TerminalKeyReader::ESCAPE_WAIT);
    m_Reader.Expire(m_Now, keys);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys.front().m_Kind, KeyKind::Escape);

    using enum KeyKind;
    EXPECT_EQ(Kinds("\x1b\x7f"), std::vector{Control}) << "Alt+Backspace cuts the word before";
    EXPECT_EQ(Kinds("\x1b\r"), (std::vector{Escape, Enter})) << "a control key after Esc is a key of its own";
    EXPECT_EQ(Kinds("\x1b[1;5\r"), std::vector{Enter}) << "a sequence cut short by a key is dropped, not the key";
    EXPECT_EQ(Kinds("\x1bO\x1b[A"), std::vector{Up}) << "cut short by the next key's Esc: that key is read whole";
}

TEST_F(TerminalKeyReaderTest, KeysTheScreenNamedAfterEscapeAreWordMovesOrKeysOfTheirOwn) {
    std::vector<KeyEvent> keys;
    m_Reader.Feed(TerminalKeys::ESCAPE, m_Now, keys);
    m_Reader.Feed(KEY_LEFT, m_Now, keys);
    m_Reader.Feed(TerminalKeys::ESCAPE, m_Now, keys);
    m_Reader.Feed(KEY_UP, m_Now, keys);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].m_Kind, KeyKind::WordLeft);
    EXPECT_EQ(keys[1].m_Kind, KeyKind::Escape);
    EXPECT_EQ(keys[2].m_Kind, KeyKind::Up);
}

} // namespace
} // namespace dravo

namespace dravo {
namespace {

TEST_F(TerminalKeyReaderTest, BytesBeyondAsciiAreGatheredIntoWholeCharacters) {
    const auto keys = Feed("a\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC");
    ASSERT_EQ(keys.size(), 4U);
    EXPECT_EQ(keys[0].Typed(), "a");
    EXPECT_EQ(keys[1].Typed(), "\xC3\xA9");
    EXPECT_EQ(keys[2].Typed(), "\xE6\x97\xA5");
    EXPECT_EQ(keys[3].Typed(), "\xE6\x9C\xAC");
    for (const KeyEvent& key : keys) {
        EXPECT_EQ(key.m_Kind, KeyKind::Char);
    }
    // A character split between two reads is still one.
    std::vector<KeyEvent> split;
    m_Reader.Feed(0xE6, m_Now, split);
    m_Reader.Feed(0x97, m_Now, split);
    EXPECT_TRUE(split.empty());
    m_Reader.Feed(0xA5, m_Now, split);
    ASSERT_EQ(split.size(), 1U);
    EXPECT_EQ(split[0].Typed(), "\xE6\x97\xA5");
}

TEST_F(TerminalKeyReaderTest, BytesThatAreNotUtf8AreDroppedAndWhatFollowsIsReadAsItself) {
    // A Latin-1 é, a lead cut short by a letter, an overlong form, a stray continuation byte, a
    // surrogate, then Esc cutting a character short.
    const auto keys = Feed("\xE9x\xC3y\xC0\xAF\x80\xED\xA0\x80z\xE6\x97\x1b[A");
    std::vector<std::string> typed;
    for (const KeyEvent& key : keys) {
        typed.push_back(key.m_Kind == KeyKind::Char ? key.Typed() : "<key>");
    }
    EXPECT_EQ(typed, (std::vector<std::string>{"x", "y", "z", "<key>"}));
    EXPECT_EQ(keys.back().m_Kind, KeyKind::Up);
    EXPECT_EQ(Kinds("\x1b\xC3\xA9"), (std::vector<KeyKind>{KeyKind::Escape, KeyKind::Char}))
        << "Esc before a character is Esc, then the character whole";
}

} // namespace
} // namespace dravo
