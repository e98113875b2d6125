// The console window's keys as a shell user types them: a log that follows, the line's own keys.
#include "window/terminal/TerminalDialogDriver.h"

#include "res/ConsoleWindowTemplate.h"
#include "window/terminal/TerminalKeyReader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace dravo {
namespace {

using namespace test;

class ConsoleKeysTest : public TypingFirstDialogTest {
protected:
    ConsoleKeysTest() : m_Canvas(80, 24), m_Renderer(m_Canvas, m_None) { Draw(); }
    void Draw() {
        m_Canvas.Clear();
        (void)m_Dialog.Draw(m_Renderer);
    }
    // Whether the log shows the line (a line's text followed by a blank, so "line 4" is not "line 40").
    bool LogShows(const std::string& wanted) const { return LogHolds(wanted + " "); }
    bool LogHolds(const std::string& wanted) const {
        const CellRect& log = m_Dialog.Layout().Control(2);
        for (int row = log.m_Row; row < log.m_Row + log.m_Height; ++row) {
            if ((m_Canvas.RowText(row) + " ").find(wanted) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    const PictureLookup m_None;
    TerminalCanvas m_Canvas;
    TerminalRenderer m_Renderer;
};

TEST_F(ConsoleKeysTest, PagingBackDownToTheEndFollowsTheLogAgainAndCountsWhatCameMeanwhile) {
    ASSERT_TRUE(LogShows("line 39"));
    Press(KeyKind::PageUp);
    Draw();
    ASSERT_FALSE(LogShows("line 39"));
    (void)m_Api.EditAppend(LOG, "line 40\r\nline 41\r\n");
    Draw();
    EXPECT_FALSE(LogShows("line 41")) << "scrolled back, the view stays put";
    EXPECT_TRUE(LogHolds(TerminalRenderer::NewLinesNote(2))) << "and says what waits below";

    Press(KeyKind::PageDown);
    Press(KeyKind::PageDown);
    Draw();
    EXPECT_TRUE(LogShows("line 41"));
    EXPECT_FALSE(LogHolds(TerminalRenderer::NewLinesNote(2)));
    (void)m_Api.EditAppend(LOG, "line 42\r\n");
    Draw();
    EXPECT_TRUE(LogShows("line 42")) << "paged back to the end, the log follows again";
}

TEST_F(ConsoleKeysTest, TheAnswerToTabIsInViewEvenWhenTheLogWasScrolledBack) {
    Press(KeyKind::PageUp);
    Draw();
    Press(KeyKind::Tab); // nothing completes here: the dialog's answer goes to the log
    (void)m_Api.EditAppend(LOG, "Completions: cmdlist cvarlist\r\n");
    Draw();
    EXPECT_TRUE(LogShows("Completions: cmdlist cvarlist"));
}

TEST_F(ConsoleKeysTest, CtrlCDropsALineThatHoldsTextAndAsksToCloseOnlyOnAnEmptyOne) {
    Type("kick 3");
    Press(KeyKind::Interrupt);
    EXPECT_EQ(m_Api.GetItemText(NAME), "");
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "a shell user's Ctrl+C drops the line, nothing more";
    Press(KeyKind::Interrupt);
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{DIALOG_ID_CANCEL, Notification::Click}}))
        << "on an empty line it is the close box, which asks first";
}

TEST_F(ConsoleKeysTest, TabInTheCommandInputNeverLeavesIt) {
    Press(KeyKind::Tab);
    Press(KeyKind::Tab);
    Press(KeyKind::Tab);
    EXPECT_EQ(FocusedId(), NAME);
    Press(KeyKind::Enter);
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{SEND, Notification::Click}}))
        << "Enter sends the (empty) command and presses no button";
}

TEST_F(ConsoleKeysTest, ModifiedArrowsAndDeleteMoveAndCutByWordsAndTypeNothing) {
    TerminalKeyReader reader;
    const auto feed = [&](std::string_view bytes) {
        std::vector<KeyEvent> keys;
        for (const char byte : bytes) {
            reader.Feed(static_cast<unsigned char>(byte), TerminalKeyReader::Clock::now(), keys);
        }
        for (const KeyEvent& key : keys) {
            m_Dialog.HandleKey(key);
        }
    };
    Type("one two");
    feed("\x1b[1;5D"); // Ctrl+Left
    feed("X");
    EXPECT_EQ(m_Api.GetItemText(NAME), "one Xtwo");
    feed("\x1b[1;3D\x1b[1;3D\x1b[1;2C"); // Alt+Left twice, Shift+Right
    feed("Y");
    EXPECT_EQ(m_Api.GetItemText(NAME), "oYne Xtwo");
    feed("\x1b[3;5~"); // Ctrl+Delete
    feed("\x1b"
         "b"); // Alt+B
    feed("Z");
    EXPECT_EQ(m_Api.GetItemText(NAME), "ZoY Xtwo");
    EXPECT_TRUE(m_Procedure.Commands.empty());
}

class ConsoleWindowKeysTest : public ::testing::Test, protected DialogDriver {
protected:
    ConsoleWindowKeysTest() : DialogDriver(ConsoleWindowTemplate()) {}
    static int Id(ConsoleControl control) { return static_cast<int>(control); }
};

TEST_F(ConsoleWindowKeysTest, TheLineEditorsAltLettersActOnTheLineAndNeverWorkAButtonFromTheInput) {
    Type("one two");
    for (const char letter : {'b', 'B', 'n', 'N', 'd', 'f', 'p', 'u', 'c', 'l', 't', 'y', 'r'}) {
        Press(KeyKind::Alt, letter);
    }
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "Alt+B is a word back, not Boot; Alt+N is not Next Level";
    EXPECT_EQ(FocusedId(), Id(ConsoleControl::CommandInput));

    Press(KeyKind::BackTab); // away from the input, the buttons answer their letters
    Press(KeyKind::Alt, 'n');
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{Id(ConsoleControl::NextLevelButton), Notification::Click}}));
}

// F1 says which Alt letters work a button from the command input and which only from elsewhere; what it
// says is what the keys do.
TEST_F(ConsoleWindowKeysTest, HelpNamesEveryButtonsLetterAndWhereItWorks) {
    ASSERT_TRUE(m_Api.EnableItem(Id(ConsoleControl::Boot), true));
    Press(KeyKind::Help);
    ASSERT_EQ(m_Procedure.HelpKeys.size(), 3u);
    const std::string& buttons = m_Procedure.HelpKeys[2];
    const size_t away = buttons.find("with the focus out of the command input");
    ASSERT_NE(away, std::string::npos) << buttons;
    struct Expected {
        const char* m_Named;
        ConsoleControl m_Button;
        bool m_FromInput;
    };
    for (const Expected& expected :
         {Expected{"Alt+S Shutdown", ConsoleControl::Shutdown, true},
          Expected{"Alt+O Options...", ConsoleControl::Options, true},
          Expected{"Alt+N Next Level", ConsoleControl::NextLevelButton, false},
          Expected{"Alt+B Boot", ConsoleControl::Boot, false}, Expected{"Alt+C Clear", ConsoleControl::Clear, false}}) {
        const size_t named = buttons.find(expected.m_Named);
        ASSERT_NE(named, std::string::npos) << expected.m_Named << " in " << buttons;
        EXPECT_EQ(named < away, expected.m_FromInput) << expected.m_Named;
        const char letter = static_cast<char>(std::tolower(expected.m_Named[4]));
        m_Procedure.Commands.clear();
        Press(KeyKind::Alt, letter); // from the command input
        const bool worked = !m_Procedure.Commands.empty() && m_Procedure.Commands.back().Id == Id(expected.m_Button);
        EXPECT_EQ(worked, expected.m_FromInput) << expected.m_Named;
        ASSERT_EQ(FocusedId(), Id(ConsoleControl::CommandInput));
        Press(KeyKind::BackTab);
        m_Procedure.Commands.clear();
        Press(KeyKind::Alt, letter);
        EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{Id(expected.m_Button), Notification::Click}}))
            << expected.m_Named << " away from the input";
        Type("x"); // back to the input, as typing takes the focus there
        Press(KeyKind::Control, 'u');
    }
}

} // namespace
} // namespace dravo
