// Every ending of a run, end to end: a frame failure at the moment of a shutdown, a game that leaves a
// level change open, a reader of standard output that quits, stop signals during start-up. Each ends
// in time, and a run that hosted saves the operator's settings.
#include "integration/PresenceFixture.h"
#include "net/LoopbackHttpServer.h"
#include "support/LoopbackPorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
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

TEST_F(StoppingTest, TheOutOfMemoryExitTellsTheListsButWaitsOnlyBrieflyForThem) {
    LoopbackHttpServer lists(LoopbackHttpServer::Mode::Hang);
    Configure({{"ServerReg", "1"}, {"WebRegUrl", lists.Url()}});
    m_Game.Write("srv_send.txt", "");
    MarkUnsaved();
    const std::string before = Configuration();
    auto server = StartServer();
    const auto asked = std::chrono::steady_clock::now();
    server->WriteLine("exhaustmemory");
    EXPECT_EQ(server->Wait(20s), 4) << server->Output() << server->Errors();
    const auto took = std::chrono::steady_clock::now() - asked;
    // The normal stop would wait for the list that never answers until the request's own limit (5 s) gave
    // it up; this one gives it about a second and the sender half a second more, even in a slow build.
    EXPECT_LT(took, 4000ms);
    std::cout << "out-of-memory exit took " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
              << " ms\n";
    EXPECT_EQ(Configuration(), before);
    ASSERT_TRUE(lists.WaitForRequests(1));
    EXPECT_NE(lists.Lines().back().find("players=-1"), std::string::npos) << lists.Lines().back();
}

// Two servers started at the same moment on one configuration: one runs, the other is refused and names
// it, and the one that ran saves its own settings.
TEST_F(StoppingTest, TwoServersStartedTogetherOnOneConfigurationRunOneThatSavesItsSettings) {
    constexpr int ROUNDS = 5;
    const std::vector<std::string> names = {"Racer One", "Racer Two"};
    for (int round = 0; round < ROUNDS; ++round) {
        MarkUnsaved();
        std::vector<std::unique_ptr<test::LiveProcess>> servers;
        for (const std::string& name : names) {
            const test::UdpPortPair ports = test::FreeUdpPorts();
            servers.push_back(std::make_unique<test::LiveProcess>(
                test::BinDir() / "dravoserv",
                std::vector<std::string>{"-go", "-face", "headless", "+ServerName", name, "+Port",
                                         std::to_string(ports.m_First), "+SpyQueryPort",
                                         std::to_string(ports.m_Second)},
                m_Game.Path()));
        }
        // The refused one ends, and its output with it, so that its wait ends at once.
        std::vector<size_t> running;
        for (size_t index = 0; index < servers.size(); ++index) {
            if (servers[index]->WaitForLine(test::SampleGame::RUNNING, 30s)) {
                running.push_back(index);
            }
        }
        ASSERT_EQ(running.size(), 1u) << "round " << round << "\n"
                                      << servers[0]->Errors() << "\n"
                                      << servers[1]->Errors();
        test::LiveProcess& winner = *servers[running[0]];
        test::LiveProcess& refused = *servers[1 - running[0]];
        EXPECT_EQ(refused.Wait(10s), 1) << refused.Errors();
        refused.FinishReading();
        EXPECT_NE(refused.Errors().find("ERROR - Another DravoServ (process " + std::to_string(winner.Pid()) +
                                        ") runs with the configuration file \"dravosrv.cfg\""),
                  std::string::npos)
            << "round " << round << ": " << refused.Errors();
        winner.WriteLine("/shutdown");
        ASSERT_EQ(winner.Wait(10s), 0) << winner.Errors();
        ASSERT_TRUE(Saved()) << "round " << round;
        EXPECT_NE(Configuration().find("ServerName \"" + names[running[0]] + "\""), std::string::npos)
            << Configuration();
    }
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

// Reads a FIFO, without waiting past the deadline, until its text holds `wanted`.
bool ReadUntil(int fd, std::string& text, std::string_view wanted, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (text.find(wanted) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd wait{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0 && !(got < 0 && errno == EAGAIN)) {
            return false;
        }
        text.append(buffer, static_cast<size_t>(std::max<ssize_t>(got, 0)));
    }
    return true;
}

TEST_F(StoppingTest, AReaderOfStandardOutputThatNeverReadsHoldsUpNeitherTheGameNorTheStop) {
    MarkUnsaved();
    // Standard output: a reader that takes the start-up lines, then reads no more (a pager, a stalled log
    // shipper). The log file: a reader that reads all, to see how far the game got.
    ASSERT_EQ(mkfifo((m_Game.Path() / "output.fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((m_Game.Path() / "log.fifo").c_str(), 0600), 0);
    const int output = open((m_Game.Path() / "output.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int log = open((m_Game.Path() / "log.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(output, 0);
    ASSERT_GE(log, 0);
    const test::UdpPortPair ports = test::FreeUdpPorts();
    const std::string program = (test::BinDir() / "dravoserv").string();
    test::LiveProcess server("/bin/bash",
                             {"-c", "exec '" + program + "' -go -face headless -logfile log.fifo +Port " +
                                        std::to_string(ports.m_First) + " +SpyQueryPort " +
                                        std::to_string(ports.m_Second) + " > output.fifo"},
                             m_Game.Path());
    std::string seen;
    ASSERT_TRUE(ReadUntil(output, seen, test::SampleGame::RUNNING, 20s)) << seen << server.Errors();
    // Each "help" answers with about a kilobyte: far more than the pipe holds. The status after them shows
    // in the log file once the game has handled them all.
    for (int line = 0; line < 80; ++line) {
        ASSERT_TRUE(server.WriteLine("help", 5s));
    }
    ASSERT_TRUE(server.WriteLine("status", 5s));
    std::string logged;
    ASSERT_TRUE(ReadUntil(log, logged, "0 of 16 players", 20s)) << server.Errors();
    const auto signalled = std::chrono::steady_clock::now();
    server.Signal(SIGTERM);
    server.Signal(SIGTERM);
    server.Signal(SIGINT);
    EXPECT_EQ(server.Wait(20s), 0) << server.Errors(); // the normal end, not the last resort's 5
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 10s);
    // The reader did hold the output up: what it left unread all but fills the pipe (pieces of pages).
    int unread = 0;
    ASSERT_EQ(ioctl(output, FIONREAD, &unread), 0);
    EXPECT_GT(unread, fcntl(output, F_GETPIPE_SZ) * 3 / 4);
    close(output);
    close(log);
    EXPECT_TRUE(Saved());
}

TEST_F(StoppingTest, ALogFifoWithNoReaderIsSaidAndTheRunGoesOnAndEnds) {
    MarkUnsaved();
    ASSERT_EQ(mkfifo((m_Game.Path() / "log.fifo").c_str(), 0600), 0);
    auto server = StartServer({"-logfile", "log.fifo"}); // would block in the open for ever
    EXPECT_TRUE(server->WaitForError("Unable to write the log file \"log.fifo\" (a FIFO that nobody reads)", 5s))
        << server->Errors();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(10s), 0) << server->Errors();
    EXPECT_TRUE(Saved());
}

TEST_F(StoppingTest, ALogReaderThatQuitsOrNeverReadsHoldsUpNoReopenAndNoEnd) {
    MarkUnsaved();
    ASSERT_EQ(mkfifo((m_Game.Path() / "log.fifo").c_str(), 0600), 0);
    int log = open((m_Game.Path() / "log.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(log, 0);
    auto server = StartServer({"-logfile", "log.fifo"});
    // The reader quits; a rotation's reopen finds nobody and says so, without waiting for a reader.
    close(log);
    server->Signal(SIGHUP);
    ASSERT_TRUE(server->WaitForError("(a FIFO that nobody reads)", 10s)) << server->Errors();
    // A reader comes that never reads; the game writes far more than the FIFO holds, then shuts down.
    log = open((m_Game.Path() / "log.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(log, 0);
    for (int line = 0; line < 80; ++line) {
        ASSERT_TRUE(server->WriteLine("help", 5s));
    }
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(10s), 0) << server->Errors();
    EXPECT_TRUE(server->WaitForError("log lines were never written to the log file \"log.fifo\".", 5s))
        << server->Errors();
    close(log);
    EXPECT_TRUE(Saved());
}

TEST_F(StoppingTest, ASecondServerOnTheSameConfigurationIsRefusedAndNamesTheFirst) {
    MarkUnsaved();
    auto first = StartServer();
    // The second reaches the configuration through a link: the same file all the same.
    std::filesystem::create_symlink("dravosrv.cfg", m_Game.Path() / "linked.cfg");
    const test::ProcessResult second = test::RunProcess(
        test::BinDir() / "dravoserv", {"-go", "-face", "headless", "-CONFIG", "linked.cfg"}, m_Game.Path(), "", 20s);
    EXPECT_EQ(second.m_ExitStatus, 1) << second.m_Stderr;
    EXPECT_NE(second.m_Stderr.find("ERROR - Another DravoServ (process " + std::to_string(first->Pid()) +
                                   ") runs with the configuration file \"linked.cfg\""),
              std::string::npos)
        << second.m_Stderr;
    first->WriteLine("/shutdown");
    EXPECT_EQ(first->Wait(10s), 0) << first->Errors();
    EXPECT_TRUE(Saved());
    // Once the first has ended, the configuration is free again.
    MarkUnsaved();
    auto third = StartServer({"-CONFIG", "linked.cfg"});
    third->WriteLine("/shutdown");
    EXPECT_EQ(third->Wait(10s), 0) << third->Errors();
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
