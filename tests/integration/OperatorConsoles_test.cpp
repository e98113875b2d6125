// The operator's commands on the local consoles: the terminal face's command input (in tmux, typed and
// completed with Tab) and the headless face's standard input, with dravo-bot players in the game.
#include "integration/HostedGameTest.h"
#include "integration/TerminalFaceTest.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using namespace terminal_face;

class OperatorTerminalTest : public TerminalFaceTest {};

TEST_F(OperatorTerminalTest, TheCommandInputBansSaysChangesLevelAndCompletesTheCommands) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go", 120, 40);
    (void)SettledConsole(*pane);
    auto bots = StartBots("Ace,Bob");
    ASSERT_TRUE(pane->WaitFor("Bob joined the game.")) << pane->Screen();
    const auto commandIs = [&pane](const std::string& wanted) {
        return pane->WaitUntil([&wanted](const std::string& shown) { return CommandLine(shown) == wanted; });
    };

    // Tab completes the operator's commands as it does the engine's.
    pane->Type("unb");
    pane->Keys({"Tab"});
    ASSERT_TRUE(commandIs("unban")) << pane->Screen();
    pane->Keys({"C-u"});
    ASSERT_TRUE(commandIs("")) << pane->Screen();
    pane->Type("banl");
    pane->Keys({"Tab"});
    ASSERT_TRUE(commandIs("banlist")) << pane->Screen();
    pane->Keys({"C-u"});
    ASSERT_TRUE(commandIs("")) << pane->Screen();

    pane->Type("ban Bob 1m \"aim bot\"");
    pane->Keys({"Enter"});
    EXPECT_TRUE(pane->WaitFor("Banned Bob for 1m by console")) << pane->Screen();
    EXPECT_TRUE(bots->WaitForOutput("Bob was kicked")) << bots->Output();
    pane->Type("say Play fair");
    pane->Keys({"Enter"});
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: Play fair")) << bots->Output();
    pane->Type("level frost");
    pane->Keys({"Enter"});
    EXPECT_TRUE(pane->WaitFor("Level changed to Worlds\\Multi\\Frostline")) << pane->Screen();

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"}); // Yes
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    EXPECT_NE(m_Game.Read("banned_details.txt").find("Bob\t"), std::string::npos);
}

class OperatorStandardInputTest : public test::HostedGameTest {};

TEST_F(OperatorStandardInputTest, StandardInputBansSaysChangesLevelAndListsTheCommands) {
    auto server = StartServer({"+fragrate", "0", "+UseGameSpy", "0", "+ServerReg", "0"});
    auto bots = StartBots("Ace,Bob", 60);
    ASSERT_TRUE(server->WaitForOutput("Bob joined the game.")) << server->Output();
    ASSERT_TRUE(server->WriteLine("help"));
    EXPECT_TRUE(server->WaitForOutput("Commands: players, kick <id|name> [reason], ban <id|name>")) << server->Output();
    ASSERT_TRUE(server->WriteLine("ban Bob 1m \"aim bot\""));
    EXPECT_TRUE(server->WaitForOutput("Banned Bob for 1m by console")) << server->Output();
    EXPECT_TRUE(bots->WaitForOutput("Bob was kicked")) << bots->Output();
    ASSERT_TRUE(server->WriteLine("banlist"));
    EXPECT_TRUE(server->WaitForOutput("by console\tsince ")) << server->Output();
    ASSERT_TRUE(server->WriteLine("say Play fair"));
    EXPECT_TRUE(bots->WaitForOutput("Ace heard: Play fair")) << bots->Output();
    ASSERT_TRUE(server->WriteLine("level frost"));
    EXPECT_TRUE(server->WaitForOutput("Level changed to Worlds\\Multi\\Frostline")) << server->Output();
    ASSERT_TRUE(server->WriteLine("/shutdown"));
    EXPECT_EQ(server->Wait(), 0) << server->Output() << server->Errors();
}

} // namespace
} // namespace dravo
