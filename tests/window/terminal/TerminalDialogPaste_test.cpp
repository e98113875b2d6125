// Pasted text: read whole between the terminal's marks, typed as text whatever it holds, and several
// lines handed to the dialog to run.
#include "window/terminal/TerminalDialogDriver.h"

#include "window/terminal/TerminalKeyReader.h"

#include <gtest/gtest.h>

#include <curses.h>

#include <string>

namespace dravo {
namespace {

using namespace test;
using namespace std::chrono_literals;
using Clock = TerminalKeyReader::Clock;

const std::string START = "\x1b[200~";
const std::string END = "\x1b[201~";

std::vector<KeyEvent> Read(TerminalKeyReader& reader, std::string_view bytes, Clock::time_point now) {
    std::vector<KeyEvent> keys;
    for (const char byte : bytes) {
        reader.Feed(static_cast<unsigned char>(byte), now, keys);
    }
    reader.Expire(now, keys);
    return keys;
}

TEST(TerminalPasteReader, EverythingBetweenTheMarksIsOnePasteAndNoKeyActs) {
    TerminalKeyReader reader;
    const Clock::time_point now = Clock::time_point{} + 1h;
    const std::string pasted = "kick 3\x1b\tquit\x03\x1b[A\x1bn\r\nsay \xC3\xA9";
    auto keys = Read(reader, START + pasted + END + "x", now);
    ASSERT_EQ(keys.size(), 2U);
    EXPECT_EQ(keys[0].m_Kind, KeyKind::Paste);
    EXPECT_EQ(keys[0].m_Text, pasted);
    EXPECT_EQ(keys[1].Typed(), "x") << "after the end mark keys are keys again";

    // Split over reads, with a key the screen named from pasted bytes, which is dropped.
    std::vector<KeyEvent> split;
    for (const char byte : START + "ab") {
        reader.Feed(static_cast<unsigned char>(byte), now, split);
    }
    reader.Feed(KEY_UP, now, split);
    reader.Expire(now + 100ms, split);
    EXPECT_TRUE(split.empty()) << "still pasting";
    for (const char byte : "c" + END) {
        reader.Feed(static_cast<unsigned char>(byte), now + 200ms, split);
    }
    ASSERT_EQ(split.size(), 1U);
    EXPECT_EQ(split[0].m_Text, "abc");
}

TEST(TerminalPasteReader, APasteIsBoundedAndOneWithoutItsEndMarkEndsOnItsOwn) {
    TerminalKeyReader reader;
    const Clock::time_point now = Clock::time_point{} + 1h;
    auto keys = Read(reader, START + std::string(TerminalKeyReader::MAX_PASTE + 500, 'a') + END, now);
    ASSERT_EQ(keys.size(), 1U);
    EXPECT_EQ(keys[0].m_Text.size(), TerminalKeyReader::MAX_PASTE);

    std::vector<KeyEvent> cut;
    for (const char byte : START + "lost end") {
        reader.Feed(static_cast<unsigned char>(byte), now, cut);
    }
    ASSERT_TRUE(reader.Deadline());
    reader.Expire(*reader.Deadline(), cut);
    ASSERT_EQ(cut.size(), 1U);
    EXPECT_EQ(cut[0].m_Text, "lost end");
    EXPECT_EQ(Read(reader, "q", now + 2h).front().Typed(), "q");
}

TEST(TerminalPastedLines, SplitAtLineEndsWithoutControlsOrBrokenBytes) {
    EXPECT_EQ(TerminalDialog::PastedLines("say a\r\n\r\n  \nsta\x1btus\x7f\r\tkick\xE9 \xC3\xA9\n"),
              (std::vector<std::string>{"say a", "status", " kick \xC3\xA9"}));
    EXPECT_TRUE(TerminalDialog::PastedLines("\r\n\x03").empty());
    std::string many;
    for (size_t line = 0; line < TerminalDialog::MAX_PASTED_LINES + 20; ++line) {
        many += "l\n";
    }
    EXPECT_EQ(TerminalDialog::PastedLines(many).size(), TerminalDialog::MAX_PASTED_LINES);
}

class PasteDialogTest : public TypingFirstDialogTest {
protected:
    void Paste(const std::string& text) { m_Dialog.HandleKey(KeyEvent{KeyKind::Paste, 0, 0, 0, text}); }
};

TEST_F(PasteDialogTest, AOneLinePasteIsTypedAsTextAndNoCharacterInItActs) {
    Type("say ");
    Paste("hi\x1b\tthere\x03\r\n");
    EXPECT_EQ(m_Api.GetItemText(NAME), "say hi there");
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "no Enter, no Esc, no Ctrl+C acted";
    EXPECT_TRUE(m_Procedure.Pasted.empty());
    ASSERT_TRUE(m_Api.LimitText(NAME, 16));
    Paste(" \xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(m_Api.GetItemText(NAME), "say hi there \xC3\xA9") << "what fits, in whole characters";
    EXPECT_EQ(m_Dialog.KeyLegend(), TerminalDialog::InputFullText(16));
}

TEST_F(PasteDialogTest, SeveralLinesGoToTheDialogToRunOrElseTheFirstIsTyped) {
    Press(KeyKind::BackTab); // the focus away from the input: a paste still goes to it
    Paste("say one\nsay two\n");
    EXPECT_EQ(m_Api.GetItemText(NAME), "say one") << "a dialog that runs no pasted lines";
    m_Procedure.RunsPastes = true;
    (void)m_Api.SetItemText(NAME, "");
    Paste("say one\r\nsay two\r\n");
    ASSERT_EQ(m_Procedure.Pasted.size(), 1U);
    EXPECT_EQ(m_Procedure.Pasted[0], (std::vector<std::string>{"say one", "say two"}));
    EXPECT_EQ(m_Api.GetItemText(NAME), "") << "nothing typed";
    EXPECT_EQ(FocusedId(), NAME);
    EXPECT_TRUE(m_Procedure.Commands.empty());
}

} // namespace
} // namespace dravo
