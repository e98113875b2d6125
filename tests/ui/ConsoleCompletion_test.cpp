// Tab on the console window's command input, through the scripted face: Tab Tab on an empty input lists
// everything, as a shell does, and a line cut to the engine's limit keeps its characters whole.
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
