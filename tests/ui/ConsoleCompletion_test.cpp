// Tab on the console window's command input, through the scripted face: Tab Tab on an empty input lists
// everything, as a shell does, and neither a completion nor a line cut to the engine's limit splits a
// character.
#include "ui/ConsoleWindow.h"

#include "platform/os/Text.h"
#include "ui/ConsoleWindowTest.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

using test::ConsoleWindowTest;
using Control = ConsoleControl;

using ConsoleTabTest = ConsoleWindowTest;

TEST_F(ConsoleTabTest, TabTwiceOnAnEmptyInputListsEverythingOnceTabOnceListsNothing) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        dialog.RunPosted();
        const std::string before = dialog.Text(Control::ConsoleLog);
        EXPECT_FALSE(dialog.Api().DeliverCompletion(Control::CommandInput, ""));
        dialog.RunPosted();
        EXPECT_EQ(dialog.Text(Control::ConsoleLog), before); // one Tab: nothing
        EXPECT_FALSE(dialog.Api().DeliverCompletion(Control::CommandInput, ""));
        dialog.RunPosted();
        const std::string listed = dialog.Text(Control::ConsoleLog).substr(before.size());
        EXPECT_NE(listed.find("Actions: /boot /nextlevel /clear /options"), std::string::npos) << listed;
        EXPECT_NE(listed.find("Commands: "), std::string::npos) << listed;
        EXPECT_NE(listed.find("ban"), std::string::npos) << listed;

        // A third Tab is the first of a new pair; a Tab on text, or a line sent, breaks a pair.
        const std::string afterList = dialog.Text(Control::ConsoleLog);
        EXPECT_FALSE(dialog.Api().DeliverCompletion(Control::CommandInput, ""));
        (void)dialog.Api().DeliverCompletion(Control::CommandInput, "/zz");
        EXPECT_FALSE(dialog.Api().DeliverCompletion(Control::CommandInput, ""));
        Enter(dialog, "status");
        EXPECT_FALSE(dialog.Api().DeliverCompletion(Control::CommandInput, ""));
        dialog.RunPosted();
        EXPECT_EQ(dialog.Text(Control::ConsoleLog).find("Actions:", afterList.size()), std::string::npos);
        Shutdown(m_Windows, dialog);
    });
}

// Two names that differ inside their second character ("é" and "è" share a first byte): Tab puts in none of
// it, and a name that fills the line is cut before the character it cannot hold.
TEST_F(ConsoleTabTest, CompletionNeverPutsInHalfACharacter) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        const std::string longName = std::string(49, 'x') + "\xC3\xA9";
        const std::string players = "[GMSG:0][PLRS:3][PLRN1:R\xC3\xA9mi][PLRF1:0][PLRI1:11][PLRN2:R\xC3\xA8ne][PLRF2:0]"
                                    "[PLRI2:12][PLRN3:" +
                                    longName + "][PLRF3:0][PLRI3:13]";
        window.Session().OnGameText(players.c_str());
        dialog.RunPosted();
        auto completion = dialog.Api().DeliverCompletion(Control::CommandInput, "kick r");
        ASSERT_TRUE(completion);
        EXPECT_EQ(completion->m_Text, "kick r");
        EXPECT_EQ(completion->m_Choices.size(), 2U);
        const std::string head = "addfrag " + std::string(60, 'y') + " "; // the "é" takes bytes 119 and 120
        completion = dialog.Api().DeliverCompletion(Control::CommandInput, head + "x");
        ASSERT_TRUE(completion);
        EXPECT_EQ(completion->m_Text, head + std::string(49, 'x'));
        Shutdown(m_Windows, dialog);
    });
}

TEST(CutAtCharacterTest, ACutNeverSplitsAUtf8Character) {
    const std::string text = "ab\xC3\xA9\xE6\x97\xA5"; // a b é 日
    EXPECT_EQ(CutAtCharacter(text, 100), text);
    EXPECT_EQ(CutAtCharacter(text, 3), "ab");         // inside é
    EXPECT_EQ(CutAtCharacter(text, 4), "ab\xC3\xA9"); // after é
    EXPECT_EQ(CutAtCharacter(text, 6), "ab\xC3\xA9"); // inside 日
    EXPECT_EQ(CutAtCharacter(text, 7), text);
    const std::string stray(8, '\x80'); // not UTF-8: cut where asked
    EXPECT_EQ(CutAtCharacter(stray, 5).size(), 5U);
}

} // namespace
} // namespace dravo
