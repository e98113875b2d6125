// Every ending of a run, end to end: a frame failure at the moment of a shutdown, a game that leaves a
// level change open, a reader of standard output that quits, stop signals during start-up. Each ends
// in time, and a run that hosted saves the operator's settings.
#include "integration/PresenceFixture.h"
#include "net/LoopbackHttpServer.h"
#include "support/LoopbackPorts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::LoopbackHttpServer;

class StoppingTest : public test::PresenceTest {
protected:
    std::string Configuration() const {
        std::ifstream in(m_Game.Path() / "dravosrv.cfg");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The configuration says "not saved yet"; a normal end of the run writes DashGoInfo 1.
    void MarkUnsaved() { Configure({{"DashGoInfo", "0"}}); }
    bool Saved() const { return Configuration().find("DashGoInfo \"1\"") != std::string::npos; }
};

TEST_F(StoppingTest, AFrameFailureAtTheMomentOfAShutdownEndsCleanlyEveryTime) {
    LoopbackHttpServer lists(LoopbackHttpServer::Mode::Slow, 30ms);
    Configure({{"ServerReg", "1"}, {"WebRegUrl", lists.Url()}});
    m_Game.Write("srv_send.txt", "");
    for (int round = 0; round < 100; ++round) {
        MarkUnsaved();
        auto server = StartServer();
        // The worker's stop and the operator's shutdown both reach for the unregistration.
        server->WriteLine("failframe The frame fell over.");
        server->WriteLine("/shutdown");
        ASSERT_EQ(server->Wait(10s), 0) << "round " << round << "\n" << server->Output() << server->Errors();
        ASSERT_TRUE(Saved()) << "round " << round;
    }
}

TEST_F(StoppingTest, AListThatNeverAnswersHoldsTheStopForSixSecondsAtMost) {
    LoopbackHttpServer lists(LoopbackHttpServer::Mode::Hang);
    Configure({{"ServerReg", "1"}, {"WebRegUrl", lists.Url()}});
    m_Game.Write("srv_send.txt", "");
    MarkUnsaved();
    auto server = StartServer();
    server->WriteLine("failframe The frame fell over.");
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(10s), 0) << server->Output() << server->Errors();
    EXPECT_TRUE(Saved());
    ASSERT_TRUE(lists.WaitForRequests(1));
    EXPECT_NE(lists.Lines()[0].find("players=-1"), std::string::npos);
}

TEST_F(StoppingTest, ALevelChangeTheGameLeavesOpenWedgesNothing) {
    MarkUnsaved();
    auto server = StartServer();
    server->WriteLine("gametext [GMSG:3]");
    ASSERT_TRUE(server->WaitForOutput("ERROR - The game began a level change and did not end it.", 5s))
        << server->Output();
    server->WriteLine("status"); // an operator command after it
    ASSERT_TRUE(server->WaitForOutput("0 of 16 players", 5s)) << server->Output();
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(2s), 0) << server->Output() << server->Errors();
    EXPECT_TRUE(Saved());
}

TEST_F(StoppingTest, AReaderOfStandardOutputThatQuitsDoesNotEndTheServer) {
    MarkUnsaved();
    const std::string program = (test::BinDir() / "dravoserv").string();
    // `head -1` reads one line and goes: every later line meets a closed pipe.
    test::LiveProcess pipeline("/bin/bash", {"-c", "set -o pipefail; '" + program + "' -go -face headless | head -1"},
                               m_Game.Path());
    ASSERT_TRUE(pipeline.WaitForOutput("Initializing the server...", 10s)) << pipeline.Errors();
    for (const char* line : {"status", "help", "status", "/players", "/shutdown"}) {
        pipeline.WriteLine(line);
    }
    EXPECT_EQ(pipeline.Wait(10s), 0) << pipeline.Errors(); // not 141: the server ended normally
    EXPECT_TRUE(Saved());
}

TEST_F(StoppingTest, AStopSignalDuringAStartUpThatBlocksEndsItWithinASecond) {
    MarkUnsaved();
    const std::string before = Configuration();
    // Loading the engine library from a FIFO blocks start-up until someone writes to it.
    const auto fifo = m_Game.Path() / "server.so";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    test::LiveProcess server(test::BinDir() / "dravoserv", {"-go", "-face", "headless", "-DLL", "./server.so"},
                             m_Game.Path());
    // The FIFO opens for writing only once start-up holds it open for reading; the writer then stays, so
    // that start-up keeps waiting for bytes that never come.
    int writer = -1;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (writer < 0 && std::chrono::steady_clock::now() < deadline) {
        writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer < 0) {
            std::this_thread::sleep_for(10ms);
        }
    }
    ASSERT_GE(writer, 0) << "start-up never opened the library";
    const auto signalled = std::chrono::steady_clock::now();
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(5s), 5) << server.Errors();
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 2s);
    close(writer);
    EXPECT_EQ(Configuration(), before); // left as it was
}

TEST_F(StoppingTest, ABanListThatIsAFifoIsPassedOver) {
    ASSERT_EQ(mkfifo((m_Game.Path() / "banned.txt").c_str(), 0600), 0);
    MarkUnsaved();
    auto server = StartServer(); // would block for ever on the FIFO
    EXPECT_NE(server->Output().find("Banning system aborted..."), std::string::npos) << server->Output();
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(5s), 0) << server->Errors();
    EXPECT_TRUE(Saved());
}

} // namespace
} // namespace dravo
