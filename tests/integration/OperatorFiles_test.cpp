// The operator's processes and files, end to end: closed standard streams, early and frozen signals,
// the one-server lock, hand edits during a run, long names, the history file, text, the copies kept,
// and the failures that must come at the start rather than at the end.
#include "app/StopSignals.h"
#include "integration/PresenceFixture.h"
#include "support/LoopbackPorts.h"
#include "support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path DRAVOSERV = test::BinDir() / "dravoserv";

class OperatorFilesTest : public test::PresenceTest {
protected:
    std::filesystem::path Config() const { return m_Game.Path() / "dravosrv.cfg"; }
    std::string Read(const std::string& name) const { return test::TempDir::ReadFile(m_Game.Path() / name); }
    void MarkUnsaved(const std::string& file = "dravosrv.cfg") {
        std::string error;
        ASSERT_TRUE(m_Game.Configure({{"DashGoInfo", "0"}}, error, file)) << error;
    }
    bool Saved(const std::string& file = "dravosrv.cfg") const {
        return Read(file).find("DashGoInfo \"1\"") != std::string::npos;
    }
    // The server with ports of its own, its log on standard error as well (-logfile /dev/stderr).
    std::unique_ptr<test::LiveProcess> Launch(const std::vector<std::string>& arguments,
                                              const std::string& shellRedirections = "") {
        const test::UdpPortPair ports = test::FreeUdpPorts();
        std::string command = "exec '" + DRAVOSERV.string() + "' -go -face headless";
        for (const std::string& argument : arguments) {
            command += " '" + argument + "'";
        }
        command += " +Port " + std::to_string(ports.m_First) + " +SpyQueryPort " + std::to_string(ports.m_Second) +
                   " " + shellRedirections;
        return std::make_unique<test::LiveProcess>("/bin/bash", std::vector<std::string>{"-c", command}, m_Game.Path());
    }
};

std::string LinkTarget(pid_t pid, int fd) {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), error).string();
}

TEST_F(OperatorFilesTest, WithItsStandardStreamsClosedTheServerStopsOnSigtermAndSaves) {
    for (int round = 0; round < 3; ++round) {
        MarkUnsaved();
        auto server = Launch({"-logfile", "/dev/stderr"}, "<&- >&-");
        ASSERT_TRUE(server->WaitForError(test::SampleGame::RUNNING, 20s)) << server->Errors();
        // Nothing the server made took the place of its input or output.
        EXPECT_EQ(LinkTarget(server->Pid(), 0), "/dev/null");
        EXPECT_EQ(LinkTarget(server->Pid(), 1), "/dev/null");
        server->Signal(SIGTERM);
        ASSERT_EQ(server->Wait(20s), 0) << "round " << round << "\n" << server->Errors();
        EXPECT_TRUE(Saved());
    }
}

// Threads beyond the first: main has begun (the first thing it does is hold the signals back).
bool MainHasBegun(pid_t pid) {
    std::error_code error;
    const auto tasks = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error);
    return !error && std::distance(begin(tasks), end(tasks)) > 1;
}

TEST_F(OperatorFilesTest, AHangupInTheFirstMomentsOfARunWithALogFileEndsNothing) {
    for (int round = 0; round < 5; ++round) {
        const test::UdpPortPair ports = test::FreeUdpPorts();
        test::LiveProcess server(DRAVOSERV,
                                 {"-go", "-face", "headless", "-logfile", "run.log", "+Port",
                                  std::to_string(ports.m_First), "+SpyQueryPort", std::to_string(ports.m_Second)},
                                 m_Game.Path());
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!MainHasBegun(server.Pid()) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        server.Signal(SIGHUP); // before -logfile is even read
        ASSERT_TRUE(server.WaitForOutput(test::SampleGame::RUNNING, 20s)) << "round " << round << server.Errors();
        server.WriteLine("/shutdown");
        EXPECT_EQ(server.Wait(20s), 0) << server.Errors();
    }
}

TEST_F(OperatorFilesTest, ATimeStoppedDuringTheStopDoesNotCountAgainstItsBound) {
    MarkUnsaved();
    auto server = StartServer();
    server->Signal(SIGTERM);
    std::this_thread::sleep_for(3ms); // the scenario: frozen just after the stop began
    server->Signal(SIGSTOP);
    std::this_thread::sleep_for(STOP_LIMIT + 2s); // longer than the bound, all of it stopped
    server->Signal(SIGCONT);
    EXPECT_EQ(server->Wait(20s), 0) << server->Errors();
    EXPECT_TRUE(Saved());
    EXPECT_EQ(server->Errors().find("The stop did not end within"), std::string::npos) << server->Errors();
}

TEST_F(OperatorFilesTest, ALockFileDeletedDuringARunLeavesTheFileToTheServerThatTookItOver) {
    auto first = StartServer({"+ServerName", "First Server"});
    std::filesystem::remove(m_Game.Path() / ".dravosrv.cfg.lock");
    auto second = StartServer({"+ServerName", "Second Server"});
    first->WriteLine("/shutdown");
    EXPECT_EQ(first->Wait(20s), 3) << first->Errors();
    EXPECT_NE(first->Errors().find("ERROR - The configuration file \"dravosrv.cfg\" is left as it was: another "
                                   "DravoServ (process " +
                                   std::to_string(second->Pid()) + ") took it over while this one ran."),
              std::string::npos)
        << first->Errors();
    EXPECT_NE(Read("dravosrv.cfg.new").find("ServerName \"First Server\""), std::string::npos);
    second->WriteLine("/shutdown");
    EXPECT_EQ(second->Wait(20s), 0) << second->Errors();
    EXPECT_NE(Read("dravosrv.cfg").find("ServerName \"Second Server\""), std::string::npos);
}

TEST_F(OperatorFilesTest, ALockThatCannotBeTakenRefusesTheStartWithItsReason) {
    std::filesystem::create_symlink("nowhere", m_Game.Path() / ".dravosrv.cfg.lock");
    const test::ProcessResult refused = test::RunProcess(DRAVOSERV, {"-go", "-face", "headless"}, m_Game.Path());
    EXPECT_EQ(refused.m_ExitStatus, 1) << refused.m_Stderr;
    EXPECT_NE(refused.m_Stderr.find("ERROR - Unable to use the configuration file \"dravosrv.cfg\": "
                                    ".dravosrv.cfg.lock: Too many levels of symbolic links."),
              std::string::npos)
        << refused.m_Stderr;
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / "nowhere"));
    // A name that can only be a directory's makes nothing outside the game's directory.
    const test::ProcessResult root =
        test::RunProcess(DRAVOSERV, {"-go", "-face", "headless", "-CONFIG", "/"}, m_Game.Path());
    EXPECT_EQ(root.m_ExitStatus, 2) << root.m_Stderr;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status("/..lock")));
}

TEST_F(OperatorFilesTest, AnUnwritableGameDirectoryIsRefusedAtTheStart) {
    // As a user who may read the game but not write its directory.
    std::vector<std::string> run = {"-go", "-face", "headless"};
    std::filesystem::path program = DRAVOSERV;
    if (::geteuid() == 0) {
        run.insert(run.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", DRAVOSERV.string()});
        program = "/usr/bin/setpriv";
        std::filesystem::permissions(m_Game.Path(), std::filesystem::perms(0755));
    } else {
        std::filesystem::permissions(m_Game.Path(), std::filesystem::perms(0555));
    }
    const test::ProcessResult refused = test::RunProcess(program, run, m_Game.Path(), "", 20s);
    std::filesystem::permissions(m_Game.Path(), std::filesystem::perms(0755));
    EXPECT_EQ(refused.m_ExitStatus, 1) << refused.m_Stderr;
    EXPECT_NE(refused.m_Stderr.find("ERROR - Unable to use the configuration file \"dravosrv.cfg\": "),
              std::string::npos)
        << refused.m_Stderr;
    EXPECT_NE(refused.m_Stderr.find("Permission denied"), std::string::npos) << refused.m_Stderr;
    EXPECT_EQ(refused.m_Stdout.find(test::SampleGame::RUNNING), std::string::npos);
}

} // namespace
} // namespace dravo
