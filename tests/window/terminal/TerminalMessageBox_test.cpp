// Message boxes and the colour picker of the terminal face, as the dialogs they are built from.
#include "window/terminal/TerminalMessageBox.h"

#include "support/ScriptedDialog.h"
#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"
#include "window/DialogApi.h"
#include "window/terminal/TerminalColorPicker.h"
#include "window/terminal/TerminalLayout.h"
#include "window/terminal/TerminalLineEditor.h"
#include "window/terminal/TerminalRenderer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace dravo {
namespace {

TEST(TerminalMessageBox, ShowsCaptionSignTextAndTheButtonsAsked) {
    const TerminalMessageBox box("Are you sure you want to exit?", "DravoServ", MessageBoxButtons::YesNo,
                                 MessageBoxIcon::Question);
    const DialogTemplate& shown = box.Template();
    EXPECT_EQ(shown.m_Title, "DravoServ");
    ASSERT_NE(shown.FindControl(TerminalMessageBox::ID_YES), nullptr);
    EXPECT_EQ(shown.FindControl(TerminalMessageBox::ID_YES)->m_Kind, ControlKind::DefaultPushButton);
    ASSERT_NE(shown.FindControl(TerminalMessageBox::ID_NO), nullptr);
    EXPECT_EQ(shown.FindControl(DIALOG_ID_OK), nullptr);
    EXPECT_EQ(shown.m_Controls.front().m_Text, "(?)");
    EXPECT_EQ(shown.m_Controls[1].m_Text, "Are you sure you want to exit?");

    const TerminalMessageBox plain("Fish & Chips", "Note", MessageBoxButtons::Ok, MessageBoxIcon::None);
    EXPECT_EQ(plain.Template().m_Controls.front().m_Text, "Fish && Chips") << "shown as written, not as a mnemonic";
    EXPECT_NE(plain.Template().FindControl(DIALOG_ID_OK), nullptr);
    EXPECT_EQ(TerminalMessageBox::IconSign(MessageBoxIcon::Exclamation), "(!)");
    EXPECT_EQ(TerminalMessageBox::IconSign(MessageBoxIcon::Information), "(i)");
}

TEST(TerminalMessageBox, LongTextsWrapAndTheBoxFitsAnSmallTerminal) {
    const std::string text(300, 'x');
    const TerminalMessageBox box(text + " " + text, "Help", MessageBoxButtons::Ok, MessageBoxIcon::Information);
    const TerminalLayout layout(box.Template(), 80, 24);
    EXPECT_LE(layout.Outer().m_Width, 80);
    EXPECT_LE(layout.Outer().m_Height, 24);
}

TEST(TerminalMessageBox, ABoxIsAsTallAndWideAsItsTextOnAnyScreen) {
    const std::string text = "Power users can specify the \"-go\" command-line parameter when running DravoSrv to "
                             "skip all the dialogs (the previous settings will be used).";
    const TerminalMessageBox box(text, "Dravo Server", MessageBoxButtons::Ok, MessageBoxIcon::Information);
    const size_t lines = TerminalRenderer::WrapWords(text, TerminalMessageBox::TEXT_COLUMNS).size();
    const TerminalLayout small(box.Template(), 80, 24);
    for (const auto& [cols, rows] : {std::pair{120, 40}, std::pair{200, 60}}) {
        const TerminalLayout large(box.Template(), cols, rows);
        EXPECT_EQ(large.Outer().m_Height, small.Outer().m_Height) << cols << " x " << rows;
        EXPECT_EQ(large.Outer().m_Width, small.Outer().m_Width) << cols << " x " << rows;
        EXPECT_EQ(large.Control(1).m_Height, static_cast<int>(lines)) << "no blank lines under the text";
    }
}

TEST(TerminalMessageBox, EscapeAnswersNoOrOk) {
    test::ScriptedWindows windows;
    for (const auto buttons : {MessageBoxButtons::YesNo, MessageBoxButtons::Ok}) {
        TerminalMessageBox box("Sure?", "Caption", buttons, MessageBoxIcon::Question);
        windows.AddScript(box.Template().Key(), [](ScriptedDialog& dialog) { dialog.PressEscape(); });
        const int result = windows.RunDialog(box.Template(), box);
        EXPECT_EQ(box.Answer(result),
                  buttons == MessageBoxButtons::YesNo ? MessageBoxResult::No : MessageBoxResult::Ok);
    }
    TerminalMessageBox box("Sure?", "Caption", MessageBoxButtons::YesNo, MessageBoxIcon::Question);
    windows.AddScript(box.Template().Key(), [](ScriptedDialog& dialog) { dialog.PressEnter(); });
    EXPECT_EQ(box.Answer(windows.RunDialog(box.Template(), box)), MessageBoxResult::Yes);
}

TEST(TerminalColorPicker, StartsAtTheGivenColourAndOkRefusesANumberAbove255) {
    test::ScriptedWindows windows;
    TerminalColorPicker picker(ColorRgb{10, 20, 30});
    windows.AddScript(TerminalColorPicker::Template().Key(), [](ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.Text(TerminalColorPicker::Control::Green), "20");
        dialog.SetText(TerminalColorPicker::Control::Red, "0255");
        dialog.SetText(TerminalColorPicker::Control::Blue, "256");
        dialog.PressEnter();
        EXPECT_FALSE(dialog.Ended()) << "256 is refused, not cut to 255";
        const int focus = dialog.Model().FocusRequest();
        ASSERT_GE(focus, 0);
        EXPECT_EQ(dialog.Model().Controls()[static_cast<size_t>(focus)].Id(),
                  static_cast<int>(TerminalColorPicker::Control::Blue));
        dialog.SetText(TerminalColorPicker::Control::Blue, "");
        dialog.PressEnter();
    });
    (void)windows.RunDialog(TerminalColorPicker::Template(), picker);
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_NE(windows.MessageBoxes()[0].m_Text.find("0 to 255"), std::string::npos);
    ASSERT_TRUE(picker.Chosen());
    EXPECT_EQ(picker.Chosen()->m_Red, 255);
    EXPECT_EQ(picker.Chosen()->m_Green, 20);
    EXPECT_EQ(picker.Chosen()->m_Blue, 0) << "an empty field reads as 0";

    TerminalColorPicker cancelled(ColorRgb{});
    windows.AddScript(TerminalColorPicker::Template().Key(), [](ScriptedDialog& dialog) { dialog.PressEscape(); });
    (void)windows.RunDialog(TerminalColorPicker::Template(), cancelled);
    EXPECT_FALSE(cancelled.Chosen());
    EXPECT_EQ(TerminalColorPicker::ReadComponent("12a"), 0);
    EXPECT_EQ(TerminalColorPicker::ReadComponent("0255"), 255);
    for (const std::string_view good : {"", "0", "000", "99", "255", "00255"}) {
        EXPECT_TRUE(TerminalColorPicker::InRange(good)) << good;
    }
    for (const std::string_view bad : {"256", "300", "1000", "0999"}) {
        EXPECT_FALSE(TerminalColorPicker::InRange(bad)) << bad;
    }
    EXPECT_EQ(TerminalLineEditor::RulesFor(*TerminalColorPicker::Template().FindControl(1201)).m_MaxLength, 3u)
        << "a field takes three digits";
}

} // namespace
} // namespace dravo
