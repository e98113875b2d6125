// Settings typed at a console end to end: checked by the rules of the setup pages, kept, and saved at the
// end of the run, from standard input and from a remote console client alike.
#include "integration/HostedGameTest.h"
#include "integration/RemotePeers.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

constexpr const char* PASSWORD = "console-settings-secret";
constexpr const char* PLAYER_LIMIT_REFUSED = "The player limit must be a number from 1 to 128. Nothing was changed.";

class ConsoleSettingsTest : public test::HostedGameTest {
protected:
    std::unique_ptr<test::LiveProcess> Start(std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {"+fragrate", "0", "+UseGameSpy", "0", "+ServerReg", "0"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return StartServer(arguments);
    }
    std::string Saved() { return m_Game.Read("dravosrv.cfg"); }
};

TEST_F(ConsoleSettingsTest, TypedSettingsAreCheckedKeptAndSaved) {
    auto server = Start();
    for (const char* line :
         {"RunSpeed 1.5", "MaxPlayers 0", "WorldColorNight \"9 9 9\"", "set TractorBeam 0", "+ServerName Typed Arena",
          "MaxPlayers 12", "set FragNote \"first to ten\"", "+RconPassword console-settings-typed"}) {
        ASSERT_TRUE(server->WriteLine(line));
    }
    EXPECT_TRUE(server->WaitForOutput("Game options applied: TractorBeam 1; DoubleJump 1; RammingDamage 1; "
                                      "RunSpeed 1.500000"))
        << server->Output();
    EXPECT_TRUE(server->WaitForOutput(PLAYER_LIMIT_REFUSED)) << server->Output();
    EXPECT_TRUE(server->WaitForOutput("The night colour must be three numbers from 0 to 1")) << server->Output();
    EXPECT_TRUE(server->WaitForOutput("ServerName is now \"Typed Arena\".")) << server->Output();
    EXPECT_TRUE(server->WaitForOutput("MaxPlayers is now \"12\"; it takes effect when the server next starts."))
        << server->Output();
    // The engine's own variables change without a word from it; the console says what they now hold.
    EXPECT_TRUE(server->WaitForOutput("FragNote is now \"first to ten\".")) << server->Output();
    EXPECT_TRUE(server->WaitForOutput("RconPassword is now set; its value is not shown.")) << server->Output();
    server->WriteLine("/status");
    EXPECT_TRUE(server->WaitForOutput("Name: Typed Arena")) << server->Output();
    EXPECT_EQ(server->Output().find("console-settings-typed"), std::string::npos) << server->Output();
    server->WriteLine("/shutdown");
    ASSERT_EQ(server->Wait(), 0) << server->Errors();
    const std::string saved = Saved();
    EXPECT_NE(saved.find("RunSpeed \"1.5"), std::string::npos) << saved;
    EXPECT_NE(saved.find("TractorBeam \"0\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("MaxPlayers \"12\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("ServerName \"Typed Arena\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("WorldColorNight \"0.5 0.5 0.5\""), std::string::npos) << saved;
}

TEST_F(ConsoleSettingsTest, SettingsFromARemoteConsoleAreKeptOrRefusedAlike) {
    if (!test::NodeModules()) {
        GTEST_FAIL() << "rcon-srcds is missing: scripts/setup.sh installs it";
    }
    auto server = Start({"+RconPassword", PASSWORD});
    ASSERT_TRUE(server->WaitForOutput("Remote console listening on TCP")) << server->Output();
    const test::ProcessResult answers =
        test::RconPeer("srcds", GamePort(), PASSWORD, {"run", "RunSpeed 2.5", "MaxPlayers 0", "MaxPlayers"});
    ASSERT_EQ(answers.m_ExitStatus, 0) << answers.m_Stderr;
    EXPECT_NE(answers.m_Stdout.find("Game options applied:"), std::string::npos) << answers.m_Stdout;
    EXPECT_NE(answers.m_Stdout.find(PLAYER_LIMIT_REFUSED), std::string::npos) << answers.m_Stdout;
    EXPECT_NE(answers.m_Stdout.find("MaxPlayers is \\\"16\\\""), std::string::npos) << answers.m_Stdout;
    server->WriteLine("/shutdown");
    ASSERT_EQ(server->Wait(), 0) << server->Errors();
    const std::string saved = Saved();
    EXPECT_NE(saved.find("RunSpeed \"2.5"), std::string::npos) << saved;
    EXPECT_NE(saved.find("MaxPlayers \"16\""), std::string::npos) << saved;
}

} // namespace
} // namespace dravo
