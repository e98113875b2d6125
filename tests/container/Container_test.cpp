// The container image end to end, run with podman on the host network beside the stand-in sidecar: the
// game is listed by quakestat, dravo-bot players join, the sidecar sees Ready, health pings and the
// players, and `podman stop` (SIGTERM) ends the run with the configuration saved in the volume, the group's
// to write; the image holds no shell. Prints the
// image's size, the time from the process's start to Ready and the time from SIGTERM to the end.
// Run by scripts/test-container.sh with DRAVO_CONTAINER_IMAGE naming the image; skipped without it.
#include "support/LiveProcess.h"
#include "support/LoopbackPorts.h"
#include "support/SdkStandIn.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::LiveProcess;
using test::SdkStandIn;

const std::vector<std::string> PODMAN = {"--runtime", "runc"};

std::string Podman(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = PODMAN;
    all.insert(all.end(), arguments.begin(), arguments.end());
    const test::ProcessResult result = test::RunProcess("/usr/bin/podman", all, ".", "", 60s);
    return result.m_Stdout;
}

// When the process started, on the steady clock: its start in /proc (clock ticks since boot) moved over
// from the boot clock.
LiveProcess::Clock::time_point ProcessStart(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int index = 3; index <= 22 && fields >> field; ++index) {
    }
    const double sinceBoot = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double bootNow = static_cast<double>(boot.tv_sec) + static_cast<double>(boot.tv_nsec) / 1e9;
    return LiveProcess::Clock::now() -
           std::chrono::duration_cast<LiveProcess::Clock::duration>(std::chrono::duration<double>(bootNow - sinceBoot));
}

double Milliseconds(LiveProcess::Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

TEST(Container, HostsTheGameForTheFleetAndStopsCleanly) {
    const char* image = std::getenv("DRAVO_CONTAINER_IMAGE");
    if (image == nullptr || image[0] == '\0') {
        GTEST_SKIP() << "DRAVO_CONTAINER_IMAGE names no image";
    }
    SdkStandIn sidecar;
    sidecar.DefinePlayersList(1000);
    ASSERT_TRUE(sidecar.Start());
    test::TempDir data;
    // The volume starts empty, root's and its group's to write; the container runs as a user id the image
    // does not know, in group 0, as a platform that picks one does.
    ASSERT_EQ(chown(data.Path().c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(data.Path().c_str(), 0775), 0);
    const test::UdpPortPair ports = test::FreeUdpPorts();
    const std::string name = "dravoserv-test-" + std::to_string(getpid());
    std::vector<std::string> run = PODMAN;
    run.insert(run.end(), {"run",
                           "--rm",
                           "--name",
                           name,
                           "--user",
                           "4242:0",
                           "--network",
                           "host",
                           "--ulimit",
                           "nofile=1024:1024",
                           "--ulimit",
                           "nproc=1024:1024",
                           "-v",
                           data.Path().string() + ":/data",
                           "-e",
                           "AGONES_SDK_HTTP_PORT=" + std::to_string(sidecar.Port()),
                           "-e",
                           "DRAVO_PORT=" + std::to_string(ports.m_First),
                           "-e",
                           "DRAVO_QUERY_PORT=" + std::to_string(ports.m_Second),
                           "-e",
                           "DRAVO_BIND_ADDRESS=127.0.0.1",
                           "-e",
                           "DRAVO_SERVER_NAME=Fleet Test Server",
                           image,
                           "+UseGameSpy",
                           "1",
                           "+SpyMasterHost",
                           "127.0.0.1",
                           "+WebRegUrl",
                           "http://127.0.0.1/servers/server.asp"});
    LiveProcess server("/usr/bin/podman", run, ".");
    ASSERT_TRUE(server.WaitForOutput("Server is running.", 60s)) << server.Output() << server.Errors();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 1)) << server.Output();
    const auto ready = sidecar.Requests();
    const auto readyAt = std::find_if(ready.begin(), ready.end(), [](const auto& r) { return r.m_Path == "/ready"; });
    const pid_t pid = std::stoi(Podman({"inspect", "--format", "{{.State.Pid}}", name}));
    std::printf("Figure: process start to Ready: %.0f ms (podman run to Ready: %.0f ms)\n",
                Milliseconds(readyAt->m_Arrived - ProcessStart(pid)),
                Milliseconds(readyAt->m_Arrived - server.StartTime()));

    auto bots = std::make_unique<LiveProcess>(
        std::filesystem::path(DRAVO_BIN_DIR) / "dravo-bot",
        std::vector<std::string>{"--port", std::to_string(ports.m_First), "--names", "Ace,Bob", "--duration", "30"},
        ".");
    EXPECT_TRUE(sidecar.WaitFor([&] {
        const auto values = sidecar.ListValues();
        return std::set<std::string>(values.begin(), values.end()) == std::set<std::string>{"Ace", "Bob"};
    })) << server.Output();
    EXPECT_EQ(sidecar.ListCapacity(), 16);
    const test::ProcessResult listed = test::RunProcess(
        "/usr/bin/quakestat", {"-gps", "127.0.0.1:" + std::to_string(ports.m_Second), "-P"}, ".", "", 20s);
    EXPECT_NE(listed.m_Stdout.find("Fleet Test Server"), std::string::npos) << listed.m_Stdout << listed.m_Stderr;
    EXPECT_NE(listed.m_Stdout.find("Ace"), std::string::npos) << listed.m_Stdout;
    EXPECT_NE(listed.m_Stdout.find("Bob"), std::string::npos) << listed.m_Stdout;
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/health", 2));
    EXPECT_TRUE(sidecar.WaitFor([&] { return sidecar.Labels()["level"] == "Cinderworks"; }));

    const auto stopping = LiveProcess::Clock::now();
    const test::ProcessResult stopped =
        test::RunProcess("/usr/bin/podman", {"--runtime", "runc", "stop", "--time", "30", name}, ".", "", 60s);
    EXPECT_EQ(server.Wait(40s), 0) << server.Output() << server.Errors() << stopped.m_Stderr;
    std::printf("Figure: SIGTERM (podman stop) to the end of the container: %.0f ms\n",
                Milliseconds(LiveProcess::Clock::now() - stopping));
    EXPECT_EQ(sidecar.Count("POST", "/shutdown"), 1u) << server.Output();
    const std::string configuration = data.Read("dravosrv.cfg");
    EXPECT_NE(configuration.find("ServerName \"Fleet Test Server\""), std::string::npos) << configuration;
    EXPECT_NE(configuration.find("net_bindaddress \"127.0.0.1\""), std::string::npos) << configuration;
    EXPECT_NE(data.Read("dravoserv.log").find("Server is running."), std::string::npos);
    // The next user id of the group can append to the log and save the configuration.
    for (const char* file : {"dravoserv.log", "dravosrv.cfg"}) {
        struct stat status {};
        ASSERT_EQ(stat((data.Path() / file).c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_gid, 0u) << file;
        EXPECT_NE(status.st_mode & S_IWGRP, 0u) << file;
    }
    std::printf("Figure: image size: %.1f MB\n",
                std::stod(Podman({"image", "inspect", "--format", "{{.Size}}", image})) / 1e6);
}

// The entry point is the program: the image holds no shell to start, and the program answers -help.
TEST(Container, HasNoShellAndItsEntryPointIsTheProgram) {
    const char* image = std::getenv("DRAVO_CONTAINER_IMAGE");
    if (image == nullptr || image[0] == '\0') {
        GTEST_SKIP() << "DRAVO_CONTAINER_IMAGE names no image";
    }
    const std::vector<std::string> run = {
        "run", "--rm", "--network", "none", "--ulimit", "nofile=1024:1024", "--ulimit", "nproc=1024:1024"};
    std::vector<std::string> shell = PODMAN;
    shell.insert(shell.end(), run.begin(), run.end());
    shell.insert(shell.end(), {"--entrypoint", "/bin/sh", image, "-c", "true"});
    const test::ProcessResult noShell = test::RunProcess("/usr/bin/podman", shell, ".", "", 60s);
    EXPECT_NE(noShell.m_ExitStatus, 0);
    EXPECT_NE(noShell.m_Stderr.find("/bin/sh"), std::string::npos) << noShell.m_Stderr; // missing, not refused
    std::vector<std::string> help = PODMAN;
    help.insert(help.end(), run.begin(), run.end());
    help.insert(help.end(), {image, "-help"});
    const test::ProcessResult result = test::RunProcess("/usr/bin/podman", help, ".", "", 60s);
    EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stderr;
    EXPECT_NE(result.m_Stdout.find("Usage: dravoserv"), std::string::npos) << result.m_Stdout << result.m_Stderr;
}

} // namespace
} // namespace dravo
