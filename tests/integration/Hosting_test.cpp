// A hosted game end to end: the real dravoserv (headless) and server.so in a copy
// of the sample game, with dravo-bot players on loopback.
#include "integration/HostedGameTest.h"

#include <gtest/gtest.h>

#include <csignal>

namespace dravo {
namespace {

using test::LiveProcess;

class HostingTest : public test::HostedGameTest {
protected:
    void SetUp() override { Configure({{"fragrate", "0"}}); }
    // Asks the window to show itself (an action such as /status or /players) until the text
    // appears: what the game changes reaches the window a frame or two later.
    static bool Shows(LiveProcess& server, const std::string& action, const std::string& text) {
        for (int attempt = 0; attempt < 40; ++attempt) {
            server.WriteLine(action);
            if (server.WaitForOutput(text, std::chrono::milliseconds(250))) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(HostingTest, GoHostsAndShowsThePlayers) {
    m_Game.Write("banned.txt", "Cheater\n");
    auto server = StartServer();
    const std::string output = server->Output();
    const size_t initializing = output.find("Initializing the server...");
    const size_t banning = output.find("Banned player list scanned...");
    const size_t initialized = output.find("Server initialized.");
    const size_t running = output.find("Server is running.");
    ASSERT_NE(initializing, std::string::npos);
    EXPECT_LT(initializing, banning);
    EXPECT_LT(banning, initialized);
    EXPECT_LT(initialized, running);

    auto bots = StartBots("Ace,Bob,Cheater", 30);
    EXPECT_TRUE(server->WaitForOutput("Added Cheater to kick queue...")) << server->Output();
    EXPECT_TRUE(bots->WaitForOutput("Cheater")) << bots->Output();
    EXPECT_TRUE(bots->WaitForOutput("kicked", std::chrono::seconds(10))) << bots->Output();

    server->WriteLine("addfrag Ace 3");
    EXPECT_TRUE(Shows(*server, "/players", "\tAce\t3")) << server->Output();
    EXPECT_TRUE(server->WaitForOutput("\tBob\t0")) << server->Output();
    EXPECT_TRUE(Shows(*server, "/status", "Players: 2")) << server->Output(); // Cheater was booted
    EXPECT_TRUE(server->WaitForOutput("Current Level: Worlds\\Multi\\Cinderworks"));

    server->WriteLine("/nextlevel");
    EXPECT_TRUE(Shows(*server, "/status", "Current Level: Worlds\\Multi\\Frostline")) << server->Output();

    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

TEST_F(HostingTest, FailingFrameStopsHostingButKeepsTheWindow) {
    auto server = StartServer();
    server->WriteLine("failframe Frame broke at 100% %s");
    EXPECT_TRUE(server->WaitForOutput("\nFrame broke at 100% %s\n")) << server->Output();
    EXPECT_TRUE(Shows(*server, "/status", "Level Goal:"));
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0);
}

TEST_F(HostingTest, EmptyServerShutsDownByItself) {
    Configure({{"EmptyExitDelay", "2"}});
    auto server = StartServer({"-EMPTYEXIT"});
    auto bots = StartBots("Ace", 1);
    EXPECT_EQ(bots->Wait(std::chrono::seconds(20)), 0);
    EXPECT_TRUE(
        server->WaitForOutput("Last player has left the game, shutting down in 2 seconds if no new players join..."))
        << server->Output();
    EXPECT_EQ(server->Wait(std::chrono::seconds(20)), 0) << server->Errors();
    EXPECT_NE(m_Game.Read("dravosrv.cfg").find("DashGoInfo \"1\""), std::string::npos);
}

TEST_F(HostingTest, TerminationSignalShutsDownCleanlyAndSaves) {
    auto server = StartServer();
    // A variable set while running reaches the file only through the save at the end.
    server->WriteLine("\"+Marker\" \"saved at exit\"");
    EXPECT_TRUE(server->WaitForOutput("\"+Marker\" \"saved at exit\""));
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
    EXPECT_NE(m_Game.Read("dravosrv.cfg").find("Marker \"saved at exit\""), std::string::npos);
    EXPECT_EQ(server->Errors().find("Are you sure"), std::string::npos); // no question asked
}

TEST_F(HostingTest, InjectedGameTextsFollowTheMessageRules) {
    auto server = StartServer();
    server->WriteLine("gametext [GMSG:0][PLRS:3][PLRN1:Zed][PLRF1:5][PLRI1:901][PLRN2:Ace][PLRF2:12][PLRI2:902]"
                      "[PLRN3:Bob][PLRF3:5][PLRI3:903]");
    EXPECT_TRUE(
        Shows(*server, "/players", "Players: 3\n(0)\tAce\t12\tid 902\n(0)\tBob\t5\tid 903\n(0)\tZed\t5\tid 901\n"))
        << server->Output();
    server->WriteLine("gametext [GMSG:5][CMSG:kind five is ignored]");
    server->WriteLine("gametext [GMSG:2][CMSG:Health at 100% %s %d]");
    EXPECT_TRUE(server->WaitForOutput("\nHealth at 100% %s %d\n")) << server->Output();
    EXPECT_EQ(server->Output().find("\nkind five is ignored\n"), std::string::npos);
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0);
}

TEST_F(HostingTest, OutOfMemoryEndsWithoutSavingAndSaysSo) {
    const std::string before = m_Game.Read("dravosrv.cfg");
    auto server = StartServer();
    server->WriteLine("\"+Marker\" \"never saved\"");
    server->WriteLine("exhaustmemory");
    EXPECT_EQ(server->Wait(), 4) << server->Errors();
    EXPECT_NE(server->Errors().find("DravoServ: ERROR - Out of memory.  The Dravo server will be shutdown."),
              std::string::npos)
        << server->Errors();
    EXPECT_EQ(server->Errors().find("Are you sure"), std::string::npos);
    EXPECT_EQ(m_Game.Read("dravosrv.cfg"), before);
}

TEST_F(HostingTest, EndOfInputKeepsTheServerRunning) {
    auto server = StartServer();
    server->CloseInput();
    auto bots = StartBots("Ace", 30);
    EXPECT_TRUE(server->WaitForOutput("Ace")) << server->Output();
    server->Signal(SIGINT);
    EXPECT_EQ(server->Wait(), 0);
}

} // namespace
} // namespace dravo
