// Keys and clicks on a dialog of the terminal face: focus, typing, lists and the commands they send.
#include "window/terminal/TerminalDialog.h"

#include "res/ConsoleWindowTemplate.h"
#include "window/terminal/TerminalDialogDriver.h"
#include "window/terminal/TerminalKeys.h"
#include "window/terminal/TerminalMessageBox.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;
using namespace test;

constexpr ControlTemplate CONTROLS[] = {
    {NO_CONTROL_ID, Static, "&Name:", {5, 5, 30, 8}},
    {NAME, Edit, "", {40, 5, 80, 12}},
    {DIGITS, Edit, "", {40, 20, 40, 12}, DigitsOnly},
    {LOUD, CheckBox, "&Loud", {5, 35, 60, 10}},
    {ITEMS, ListBox, "", {5, 50, 80, 40}, Notify},
    {PLAIN, ListBox, "", {90, 50, 80, 40}},
    {GO, PushButton, "&Go", {5, 95, 40, 14}},
    {SECRET, PushButton, "&Hidden", {50, 95, 40, 14}, Hidden},
    {OFF, PushButton, "&Off", {95, 95, 40, 14}, Disabled},
    {LOG, Edit, "", {5, 115, 160, 30}, MultiLine | ReadOnly},
    {SEND, DefaultPushButton, "&Send", {140, 95, 40, 14}},
};

constexpr DialogTemplate FORM = {"FORM", 0, "Form", 200, 150, "", 0, DialogStyle::Popup, CONTROLS};

class TerminalDialogTest : public ::testing::Test, protected DialogDriver {
protected:
    TerminalDialogTest() : DialogDriver(FORM) {
        (void)m_Api.ListAdd(ITEMS, "alpha");
        (void)m_Api.ListAdd(ITEMS, "beta");
        (void)m_Api.ListAdd(PLAIN, "one");
        (void)m_Api.ListAdd(PLAIN, "two");
    }
    void FocusOn(int id) {
        for (size_t step = 0; step < FORM.m_Controls.size() && FocusedId() != id; ++step) {
            Press(KeyKind::Tab);
        }
        ASSERT_EQ(FocusedId(), id);
    }
};

TEST_F(TerminalDialogTest, TabMovesOverUsableControlsInOrderAndWrapsBothWays) {
    std::vector<int> order;
    Press(KeyKind::BackTab);
    Press(KeyKind::Tab);
    for (int step = 0; step < 9; ++step) {
        order.push_back(FocusedId());
        Press(KeyKind::Tab);
    }
    EXPECT_EQ(order, (std::vector<int>{NAME, DIGITS, LOUD, ITEMS, PLAIN, GO, LOG, SEND, NAME}))
        << "labels, hidden and disabled controls are passed over";
    Press(KeyKind::BackTab);
    Press(KeyKind::BackTab);
    EXPECT_EQ(FocusedId(), SEND);
}

TEST_F(TerminalDialogTest, TypingEditsAtTheCaretAndDigitFieldsRefuseLetters) {
    FocusOn(NAME);
    Type("abd");
    Press(KeyKind::Left);
    Type("c");
    Press(KeyKind::Home);
    Press(KeyKind::Delete);
    Press(KeyKind::End);
    Press(KeyKind::Backspace);
    EXPECT_EQ(m_Api.GetItemText(NAME), "bc");
    FocusOn(DIGITS);
    Type("1a2 3");
    EXPECT_EQ(m_Api.GetItemText(DIGITS), "123");
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "typed letters are no mnemonics inside an edit";
}

TEST_F(TerminalDialogTest, AnEditEnteredByTabOrByItsDialogHasItsTextSelectedAndTypingReplacesIt) {
    (void)m_Api.SetItemText(NAME, "Dravo Server");
    (void)m_Api.SetItemText(DIGITS, "27888");
    FocusOn(DIGITS);
    Type("27910");
    EXPECT_EQ(m_Api.GetItemText(DIGITS), "27910") << "no End or Backspace needed";
    Press(KeyKind::BackTab);
    Type("Night Owls");
    EXPECT_EQ(m_Api.GetItemText(NAME), "Night Owls");
    Press(KeyKind::Control, 'a');
    Type("The ");
    EXPECT_EQ(m_Api.GetItemText(NAME), "The Night Owls") << "once typing began, keys edit at the caret";

    FocusOn(GO);
    ASSERT_TRUE(m_Api.SetFocus(DIGITS)); // as a page does with a field it refuses
    EXPECT_EQ(FocusedId(), GO) << "the face moves the focus when it next looks";
    Press(KeyKind::Char, '8');
    EXPECT_EQ(FocusedId(), DIGITS);
    EXPECT_EQ(m_Api.GetItemText(DIGITS), "8");
    Press(KeyKind::Backspace);
    Type("1234567890123");
    EXPECT_EQ(m_Api.GetItemText(DIGITS), "123456789") << "a field that does not scroll takes what it shows";
}

TEST_F(TerminalDialogTest, EnterPressesTheFocusedButtonElseTheDefaultOneAndEscapeIsCancel) {
    FocusOn(NAME);
    Press(KeyKind::Enter);
    FocusOn(GO);
    Press(KeyKind::Enter);
    FocusOn(LOUD);
    Press(KeyKind::Enter);
    Press(KeyKind::Escape);
    Press(KeyKind::Interrupt);
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{SEND, Notification::Click},
                                                          {GO, Notification::Click},
                                                          {SEND, Notification::Click},
                                                          {DIALOG_ID_CANCEL, Notification::Click},
                                                          {DIALOG_ID_CANCEL, Notification::Click}}))
        << "the close box, like Esc, is Cancel unless the procedure says otherwise";
    EXPECT_FALSE(m_Api.IsChecked(LOUD)) << "Enter on a check box does not toggle it";
}

TEST_F(TerminalDialogTest, SpaceTogglesACheckBoxAndPressesAButton) {
    FocusOn(LOUD);
    Press(KeyKind::Char, ' ');
    EXPECT_TRUE(m_Api.IsChecked(LOUD));
    Press(KeyKind::Char, ' ');
    EXPECT_FALSE(m_Api.IsChecked(LOUD));
    FocusOn(GO);
    Press(KeyKind::Char, ' ');
    EXPECT_EQ(m_Procedure.Commands.back(), (Command{GO, Notification::Click}));
    EXPECT_EQ(m_Procedure.Commands.size(), 3u);
}

TEST_F(TerminalDialogTest, ArrowsMoveTheSelectionAndOnlyANotifyingListReportsIt) {
    FocusOn(ITEMS);
    Press(KeyKind::Down);
    Press(KeyKind::Down);
    Press(KeyKind::Down); // stays on the last item
    EXPECT_EQ(m_Api.ListSelection(ITEMS), 1);
    Press(KeyKind::Home);
    EXPECT_EQ(m_Api.ListSelection(ITEMS), 0);
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{ITEMS, Notification::SelectionChange},
                                                          {ITEMS, Notification::SelectionChange},
                                                          {ITEMS, Notification::SelectionChange}}));
    FocusOn(PLAIN);
    Press(KeyKind::End);
    EXPECT_EQ(m_Api.ListSelection(PLAIN), 1);
    EXPECT_EQ(m_Procedure.Commands.size(), 3u);
}

TEST_F(TerminalDialogTest, EnterOnASelectedItemIsADoubleClickWhereTheDialogReactsToIt) {
    FocusOn(ITEMS);
    Press(KeyKind::Enter); // nothing selected: the default button
    Press(KeyKind::Down);
    Press(KeyKind::Enter);
    EXPECT_EQ(m_Procedure.Commands.back(), (Command{ITEMS, Notification::DoubleClick}));
    m_Face.Queue()->RunPending();
    EXPECT_EQ(m_Procedure.Commands.back(), (Command{GO, Notification::Click})) << "the command it posted";

    m_Procedure.ReactToDoubleClicks = false;
    m_Procedure.Commands.clear();
    Press(KeyKind::Enter);
    EXPECT_EQ(m_Procedure.Commands,
              (std::vector<Command>{{ITEMS, Notification::DoubleClick}, {SEND, Notification::Click}}));
}

TEST_F(TerminalDialogTest, AltWithAMarkedLetterWorksThatControl) {
    m_Dialog.HandleKey(KeyEvent{KeyKind::Alt, 'L'});
    EXPECT_TRUE(m_Api.IsChecked(LOUD));
    EXPECT_EQ(FocusedId(), LOUD);
    m_Dialog.HandleKey(KeyEvent{KeyKind::Alt, 'n'});
    EXPECT_EQ(FocusedId(), NAME) << "a label hands the focus to its field";
    m_Dialog.HandleKey(KeyEvent{KeyKind::Alt, 'o'}); // disabled
    m_Dialog.HandleKey(KeyEvent{KeyKind::Alt, 'h'}); // hidden
    FocusOn(GO);
    Press(KeyKind::Char, 's'); // the letter alone never presses a button
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{LOUD, Notification::Click}}));
}

TEST_F(TerminalDialogTest, ALetterInAListFindsTheNextItemThatBeginsWithIt) {
    (void)m_Api.ListAdd(PLAIN, "Worlds\\Multi\\Frostline");
    (void)m_Api.ListAdd(PLAIN, "Two more");
    FocusOn(PLAIN);
    Press(KeyKind::Char, 't');
    EXPECT_EQ(m_Api.ListSelection(PLAIN), 1);
    Press(KeyKind::Char, 'T');
    EXPECT_EQ(m_Api.ListSelection(PLAIN), 3);
    Press(KeyKind::Char, 't'); // round to the first again
    EXPECT_EQ(m_Api.ListSelection(PLAIN), 1);
    Press(KeyKind::Char, 'f'); // a level by its name after the folders
    EXPECT_EQ(m_Api.ListSelection(PLAIN), 2);
    Press(KeyKind::Char, 'q');
    EXPECT_EQ(m_Api.ListSelection(PLAIN), 2);
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "no button pressed, the list does not notify";
}

TEST(TerminalMessageBoxKeys, AQuestionThatLosesSomethingOpensOnNoAndOnlyLeftThenEnterAnswersYes) {
    for (const bool deliberate : {false, true}) {
        TerminalMessageBox box("Clear the console log?", "DravoServ", MessageBoxButtons::YesNo,
                               MessageBoxIcon::Question, MessageBoxDefault::Second);
        TestFace face;
        DialogApi api(box.Template(), box, face);
        TerminalDialog keys(api, [&face] { return face.Activity(); });
        keys.LayOut(80, 24);
        keys.AskAsLossQuestion(); // as the face opens a question that opens on No
        api.Start();
        for (const char letter : std::string("playersyn Y")) {
            keys.HandleKey(KeyEvent{KeyKind::Char, letter});
        }
        keys.HandleKey(KeyEvent{KeyKind::Alt, 'y'}); // readline's yank-pop
        keys.HandleKey(KeyEvent{KeyKind::Up});
        keys.HandleKey(KeyEvent{KeyKind::Left});
        keys.HandleKey(KeyEvent{KeyKind::Tab}); // typing goes on: the focus is back on No
        ASSERT_FALSE(api.Ended()) << "a habit key answered the question";
        if (deliberate) {
            keys.HandleKey(KeyEvent{KeyKind::Left});
        }
        keys.HandleKey(KeyEvent{KeyKind::Enter});
        ASSERT_TRUE(api.Ended());
        EXPECT_EQ(box.Answer(api.Result()), deliberate ? MessageBoxResult::Yes : MessageBoxResult::No);
    }
}

// Ctrl+B is Left in a text field, and a shell user presses it then Enter by habit: in a question it moves
// nothing, so Ctrl+B, Enter answers No, where the arrow, Enter answers Yes.
TEST(TerminalMessageBoxKeys, CtrlBIsNotTheLeftArrowInAQuestion) {
    constexpr int CONTROL_B = 2;
    for (const bool fromArrow : {false, true}) {
        TerminalMessageBox box("Exit?", "DravoServ", MessageBoxButtons::YesNo, MessageBoxIcon::Question,
                               MessageBoxDefault::Second);
        TestFace face;
        DialogApi api(box.Template(), box, face);
        TerminalDialog keys(api, [&face] { return face.Activity(); });
        keys.LayOut(80, 24);
        keys.AskAsLossQuestion();
        api.Start();
        ASSERT_EQ(TerminalKeys::Translate(CONTROL_B).m_Kind, KeyKind::Left) << "Ctrl+B moves in a text field";
        keys.HandleKey(fromArrow ? KeyEvent{KeyKind::Left} : TerminalKeys::Translate(CONTROL_B));
        keys.HandleKey(KeyEvent{KeyKind::Enter});
        ASSERT_TRUE(api.Ended());
        EXPECT_EQ(box.Answer(api.Result()), fromArrow ? MessageBoxResult::Yes : MessageBoxResult::No);
    }
}

TEST_F(TerminalDialogTest, ArrowsScrollALogAwayFromItsEndAndEndFollowsItAgain) {
    std::string text;
    for (int line = 0; line < 40; ++line) {
        text += "line " + std::to_string(line) + "\r\n";
    }
    (void)m_Api.EditAppend(LOG, text);
    TerminalCanvas canvas(80, 24);
    const PictureLookup none;
    TerminalRenderer renderer(canvas, none);
    FocusOn(LOG);
    (void)m_Dialog.Draw(renderer);
    const CellRect& log = m_Dialog.Layout().Control(9);
    const auto shows = [&](const std::string& wanted) {
        for (int row = log.m_Row; row < log.m_Row + log.m_Height; ++row) {
            if (canvas.RowText(row).find(wanted + " ") != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(shows("line 39"));
    Press(KeyKind::PageUp);
    (void)m_Api.EditAppend(LOG, "line 40\r\n");
    canvas.Clear();
    (void)m_Dialog.Draw(renderer);
    EXPECT_FALSE(shows("line 40")) << "scrolled back, the view stays put";
    Press(KeyKind::End);
    canvas.Clear();
    (void)m_Dialog.Draw(renderer);
    EXPECT_TRUE(shows("line 40"));
}

TEST_F(TerminalDialogTest, ClicksFocusPressAndSelect) {
    const CellRect& go = m_Dialog.Layout().Control(6);
    m_Dialog.HandleKey(KeyEvent{KeyKind::Click, 0, go.m_Col + go.m_Width / 2, go.m_Row});
    EXPECT_EQ(m_Procedure.Commands.back(), (Command{GO, Notification::Click}));
    const CellRect& items = m_Dialog.Layout().Control(4);
    m_Dialog.HandleKey(KeyEvent{KeyKind::DoubleClick, 0, items.m_Col, items.m_Row + 1});
    EXPECT_EQ(m_Api.ListSelection(ITEMS), 1);
    EXPECT_EQ(m_Procedure.Commands.back(), (Command{ITEMS, Notification::DoubleClick}));
    EXPECT_EQ(FocusedId(), ITEMS);
    const CellRect& off = m_Dialog.Layout().Control(8);
    const size_t before = m_Procedure.Commands.size();
    m_Dialog.HandleKey(KeyEvent{KeyKind::Click, 0, off.m_Col, off.m_Row});
    EXPECT_EQ(m_Procedure.Commands.size(), before) << "a disabled button takes no click";
}

TEST_F(TypingFirstDialogTest, EveryPrintableKeyGoesToTheInputWhereverTheFocusIs) {
    Press(KeyKind::BackTab); // from the input, where it starts, to the log
    Press(KeyKind::BackTab); // and to the Go button
    ASSERT_EQ(FocusedId(), GO);
    Type("say hi"); // "s" would be Shutdown's letter, " " would press Go
    EXPECT_EQ(m_Api.GetItemText(NAME), "say hi");
    EXPECT_EQ(FocusedId(), NAME) << "the focus went along";
    Press(KeyKind::Enter);
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{SEND, Notification::Click}}));

    (void)m_Api.SetItemText(NAME, "");
    m_Procedure.Commands.clear();
    for (int away = 0; away < 2; ++away) {
        while (FocusedId() != LOG) {
            Press(KeyKind::BackTab);
        }
        Press(KeyKind::PageUp);
        Type("status ");
    }
    EXPECT_EQ(m_Api.GetItemText(NAME), "status status ");
    for (int step = 0; FocusedId() != DIALOG_ID_CANCEL && step < 6; ++step) {
        Press(KeyKind::BackTab);
    }
    ASSERT_EQ(FocusedId(), DIALOG_ID_CANCEL);
    Type("y n");
    EXPECT_EQ(m_Api.GetItemText(NAME), "status status y n");
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "no key typed by mistake works a button";
}

TEST_F(TypingFirstDialogTest, TheInputTakesNoMoreThanItsTypingLimitAndTheLegendSaysWhenItIsFull) {
    ASSERT_TRUE(m_Api.LimitText(NAME, 8));
    Type("say hel");
    EXPECT_EQ(m_Dialog.KeyLegend().find("full"), std::string::npos);
    Type("lo there");
    EXPECT_EQ(m_Api.GetItemText(NAME), "say hell");
    EXPECT_EQ(m_Dialog.KeyLegend(), TerminalDialog::InputFullText(8));
    Press(KeyKind::Home);
    Type("x"); // full: a key more changes nothing
    EXPECT_EQ(m_Api.GetItemText(NAME), "say hell");
    Press(KeyKind::Backspace);
    Press(KeyKind::End);
    Press(KeyKind::Backspace);
    Type("p!");
    EXPECT_EQ(m_Api.GetItemText(NAME), "say help");
}

TEST_F(TypingFirstDialogTest, ACharacterThatDoesNotFitWholeIsRefusedAndTheLegendSaysTheInputIsFull) {
    ASSERT_TRUE(m_Api.LimitText(NAME, 8));
    Type("say he");
    m_Dialog.HandleKey(KeyEvent{KeyKind::Char, 0, 0, 0, "\xC3\xA9"}); // é: 8 bytes in all
    EXPECT_EQ(m_Api.GetItemText(NAME), "say he\xC3\xA9");
    Press(KeyKind::Backspace);
    Type("l");
    m_Dialog.HandleKey(KeyEvent{KeyKind::Char, 0, 0, 0, "\xE6\x97\xA5"}); // 日: 3 bytes in 1 free byte
    EXPECT_EQ(m_Api.GetItemText(NAME), "say hel") << "never a part of a character";
    EXPECT_EQ(m_Dialog.KeyLegend(), TerminalDialog::InputFullText(8)) << "7 bytes of 8, and a key refused";
    EXPECT_NE(TerminalDialog::InputFullText(8).find("8 bytes"), std::string::npos);
    Press(KeyKind::Backspace);
    EXPECT_EQ(m_Dialog.KeyLegend().find("full"), std::string::npos) << "room again: the keys' line is back";
}

TEST_F(TypingFirstDialogTest, ButtonsAnswerAltEnterAndClicksOnlyAndHandTheFocusBack) {
    Press(KeyKind::Alt, 'g');
    EXPECT_EQ(FocusedId(), NAME);
    Press(KeyKind::Alt, 's');
    EXPECT_EQ(FocusedId(), NAME) << "a reflex Enter after Alt+S must not press Shutdown again";
    Press(KeyKind::Escape); // a stray key here: nothing
    Press(KeyKind::Tab);    // nothing to complete: the input keeps the focus
    ASSERT_EQ(FocusedId(), NAME);
    Press(KeyKind::BackTab); // the log
    Press(KeyKind::BackTab); // Go
    ASSERT_EQ(FocusedId(), GO);
    Press(KeyKind::Enter);
    EXPECT_EQ(FocusedId(), NAME);
    Press(KeyKind::Enter); // the input's Enter sends
    EXPECT_EQ(m_Procedure.Commands, (std::vector<Command>{{GO, Notification::Click},
                                                          {DIALOG_ID_CANCEL, Notification::Click},
                                                          {GO, Notification::Click},
                                                          {SEND, Notification::Click}}));
    EXPECT_EQ(m_Api.GetItemText(NAME), "");
}

TEST_F(TypingFirstDialogTest, TabCompletesAndUpAndDownRecallInTheInput) {
    m_Procedure.KeepsAHistory = true;
    Type("sta");
    Press(KeyKind::Tab);
    EXPECT_EQ(FocusedId(), NAME) << "the focus stays in the input that was completed";
    EXPECT_EQ(m_Api.GetItemText(NAME), "sta!");
    Press(KeyKind::Up);
    EXPECT_EQ(m_Api.GetItemText(NAME), "-1:sta!");
    Press(KeyKind::Down);
    EXPECT_EQ(m_Api.GetItemText(NAME), "1:-1:sta!");
    Type("x"); // the caret is at the end of what came back
    EXPECT_EQ(m_Api.GetItemText(NAME), "1:-1:sta!x");
    EXPECT_TRUE(m_Procedure.Commands.empty());
}

TEST_F(TypingFirstDialogTest, TheInputIsLabelledAndAClickPutsTheCaretUnderIt) {
    TerminalCanvas canvas(80, 24);
    const PictureLookup none;
    TerminalRenderer renderer(canvas, none);
    (void)m_Api.SetItemText(NAME, "kick 3");
    (void)m_Dialog.Draw(renderer);
    const CellRect& input = m_Dialog.Layout().Control(3);
    EXPECT_EQ(canvas.RowText(input.m_Row).substr(static_cast<size_t>(input.m_Col), 15), "Command: kick 3");
    const int labelColumns = static_cast<int>(TerminalDialog::INPUT_LABEL.size()) + 1;
    m_Dialog.HandleKey(KeyEvent{KeyKind::Click, 0, input.m_Col + labelColumns + 4, input.m_Row});
    Type("-");
    EXPECT_EQ(m_Api.GetItemText(NAME), "kick- 3");
}
class ConsoleArrangementTest : public ::testing::Test, protected DialogDriver {
protected:
    ConsoleArrangementTest() : DialogDriver(ConsoleWindowTemplate()) {}
};

TEST_F(ConsoleArrangementTest, TheConsoleWindowHasItsLogAcrossTheScreenAndALegendNamingItsKeys) {
    const std::string legend = "F1 Help  Up/Down History  Tab Complete  PgUp/PgDn Scroll  Alt+S Shutdown";
    EXPECT_EQ(m_Dialog.KeyLegend(), legend);
    TerminalCanvas canvas(80, 24);
    const PictureLookup none;
    TerminalRenderer renderer(canvas, none);
    (void)m_Dialog.Draw(renderer);
    EXPECT_EQ(m_Dialog.Layout().Legend().m_Row, 23);
    EXPECT_EQ(canvas.RowText(23).find(legend), 1u) << canvas.RowText(23);
    const auto log =
        static_cast<size_t>(ConsoleWindowTemplate().FindControl(static_cast<int>(ConsoleControl::ConsoleLog)) -
                            ConsoleWindowTemplate().m_Controls.data());
    EXPECT_GE(m_Dialog.Layout().Control(log).m_Width, 76);
    EXPECT_GE(m_Dialog.Layout().Control(log).m_Height, 10);
    EXPECT_EQ(FocusedId(), static_cast<int>(ConsoleControl::CommandInput));

    m_Dialog.LayOut(120, 40); // a resize lays it out again
    (void)m_Dialog.Draw(renderer);
    EXPECT_EQ(m_Dialog.Layout().Legend().m_Row, 39);
    EXPECT_GT(m_Dialog.Layout().Control(log).m_Height, 10);
}

TEST_F(TerminalDialogTest, ADialogThatIsNotTypedIntoFirstHasNoLegend) {
    EXPECT_EQ(m_Dialog.KeyLegend(), "");
    EXPECT_TRUE(m_Dialog.Layout().Legend().Empty());
}

TEST_F(TerminalDialogTest, ADialogOpenedByAKeyTakesNoTypedTextUntilTheOperatorMovesInIt) {
    m_Dialog.GuardTyping();
    Type("kick 3");
    Press(KeyKind::Enter);
    Press(KeyKind::Alt, 'l');
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "no Space toggled anything, no Enter pressed OK";
    EXPECT_FALSE(m_Api.IsChecked(LOUD));
    Press(KeyKind::Tab); // a completion, and the history, as the command input had them
    Press(KeyKind::Up);
    Press(KeyKind::Down);
    Type(" ");
    Press(KeyKind::Enter);
    EXPECT_TRUE(m_Procedure.Commands.empty()) << "Tab, Up and Down are not moving in the dialog";
    Press(KeyKind::BackTab);
    Type("3");
    Press(KeyKind::Enter);
    EXPECT_FALSE(m_Procedure.Commands.empty()) << "once moved in, the dialog works as ever";
}

} // namespace
} // namespace dravo
