// "+Key value" on the command line end to end: a setting shows in the running game and is saved,
// a variable the program only reads (EmptyExitDelay) takes effect, and a log file that cannot be
// written is said once while the console log goes on.
#include "integration/HostedGameTest.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <csignal>

namespace dravo {
namespace {

using test::LiveProcess;

class OverridesTest : public test::HostedGameTest {
protected:
    std::unique_ptr<LiveProcess> StartWith(std::vector<std::string> overrides) {
        overrides.insert(overrides.begin(), {"+fragrate", "0"});
        return StartServer(overrides);
    }
};

TEST_F(OverridesTest, ASettingShowsInTheRunningGameAndIsSaved) {
    auto server = StartWith({"+ServerName", "Night Owls"});
    server->WriteLine("/status");
    ASSERT_TRUE(server->WaitForOutput("Name: Night Owls")) << server->Output();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
    EXPECT_NE(m_Game.Read("dravosrv.cfg").find("ServerName \"Night Owls\""), std::string::npos);
}

TEST_F(OverridesTest, EmptyExitDelayFromTheCommandLineTimesTheEmptyServerExit) {
    auto server = StartWith({"-emptyexit", "+EmptyExitDelay", "2"});
    auto bot = StartBots("Ace", 1);
    ASSERT_TRUE(server->WaitForOutput("Ace joined the game.")) << server->Output();
    EXPECT_EQ(bot->Wait(), 0);
    ASSERT_TRUE(server->WaitForOutput("shutting down in 2 seconds")) << server->Output();
    EXPECT_EQ(server->Wait(), 0) << server->Output(); // ends by itself, through the normal end
}

TEST_F(OverridesTest, AMalformedOverrideStopsBeforeAnythingRuns) {
    LiveProcess server(test::BinDir() / "dravoserv", {"-go", "-face", "headless", "+ServerName"}, m_Game.Path());
    EXPECT_EQ(server.Wait(), 2);
    server.FinishReading();
    EXPECT_NE(server.Errors().find("The override +ServerName has no value"), std::string::npos) << server.Errors();
}

TEST_F(OverridesTest, AnUnwritableLogFileIsSaidOnceAndTheConsoleLogGoesOn) {
    const std::string path = (m_Game.Path() / "no-such-dir" / "server.log").string();
    auto server = StartWith({"-logfile", path});
    const std::string message = "ERROR - Unable to write the log file \"" + path + "\"";
    ASSERT_TRUE(server->WaitForOutput(message)) << server->Output();
    server->WriteLine("/status");
    ASSERT_TRUE(server->WaitForOutput("Name: Dravo Sample Server")) << server->Output();
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(), 0);
    server->FinishReading();
    auto count = [&message](const std::string& text) {
        size_t found = 0;
        for (size_t at = text.find(message); at != std::string::npos; at = text.find(message, at + 1)) {
            ++found;
        }
        return found;
    };
    EXPECT_EQ(count(server->Errors()), 1u) << server->Errors();
    EXPECT_EQ(count(server->Output()), 1u) << server->Output();
}

} // namespace
} // namespace dravo
