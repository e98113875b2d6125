// Idle cost: CPU time of dravoserv over --seconds (30), measured from /proc
// (per-thread schedstat, nanoseconds), all in one window:
//   - hosting the sample game, empty, no queries;
//   - before hosting: the setup wizard of the terminal face waiting on its first
//     page (dravoserv without -go on a pseudo-terminal), and the console window
//     waiting on input while no game runs (the game port is held by this
//     benchmark, so hosting fails and the window waits);
//   - a bare loop that sleeps 9 ms at a time, a thread of this benchmark.
// Goals: hosted at most 1% of a core and at most twice the bare loop; waiting under 0.05%.
#include "net/UdpTestPeer.h"
#include "support/BenchGame.h"
#include "support/Figures.h"
#include "support/ProcStats.h"

#include <atomic>
#include <csignal>
#include <pty.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace dravo::bench;

namespace {

// dravoserv on a pseudo-terminal with the terminal face; its screen output is read and dropped.
class WizardProcess {
public:
    explicit WizardProcess(const std::filesystem::path& directory) {
        m_Pid = forkpty(&m_Terminal, nullptr, nullptr, nullptr);
        if (m_Pid == 0) {
            setenv("TERM", "xterm", 1);
            if (chdir(directory.c_str()) != 0) {
                _exit(126);
            }
            const std::string program = (BinDir() / "dravoserv").string();
            execl(program.c_str(), program.c_str(), "-face", "terminal", static_cast<char*>(nullptr));
            _exit(127);
        }
        m_Reader = std::thread([this] {
            char buffer[4096];
            while (read(m_Terminal, buffer, sizeof buffer) > 0) {
                m_Bytes += sizeof buffer;
            }
        });
    }
    ~WizardProcess() {
        if (m_Pid > 0) {
            kill(m_Pid, SIGKILL);
            waitpid(m_Pid, nullptr, 0);
        }
        close(m_Terminal);
        m_Reader.join();
    }
    WizardProcess(const WizardProcess&) = delete;
    WizardProcess& operator=(const WizardProcess&) = delete;
    pid_t Pid() const { return m_Pid; }
    bool Drawn() const { return m_Bytes > 0; }

private:
    pid_t m_Pid = -1;
    int m_Terminal = -1;
    std::atomic<size_t> m_Bytes{0};
    std::thread m_Reader;
};

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 30);
    BenchGame hostedGame;
    const auto hostedServer = hostedGame.Host();
    if (!hostedServer) {
        return 1;
    }
    LiveProcess& hosted = *hostedServer;

    // The second copy's game port is held here, so its console window waits without a game.
    BenchGame waitingGame;
    const dravo::test::UdpTestPeer blocker; // bound to a port the system picks, read back
    if (!blocker.IsOpen()) {
        std::perror("bind");
        return 1;
    }
    LiveProcess waiting(BinDir() / "dravoserv", {"-go", "-face", "headless", "+Port", std::to_string(blocker.Port())},
                        waitingGame.Path());
    BenchGame wizardGame;
    WizardProcess wizard(wizardGame.Path());

    if (!waiting.WaitForLine(BenchGame::HOSTING_FAILED, std::chrono::seconds(30))) {
        Complain("the waiting server did not stop at the failed hosting", waiting);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1)); // start-up settles
    if (!wizard.Drawn()) {
        std::fprintf(stderr, "the setup wizard did not show\n");
        return 1;
    }

    std::atomic<bool> stop{false};
    std::atomic<pid_t> loopTid{0};
    std::thread loop([&] {
        loopTid = static_cast<pid_t>(syscall(SYS_gettid));
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(9));
        }
    });
    while (loopTid == 0) {
        std::this_thread::yield();
    }
    const auto start = Clock::now();
    const uint64_t hostedStart = CpuNs(hosted.Pid());
    const uint64_t waitingStart = CpuNs(waiting.Pid());
    const uint64_t wizardStart = CpuNs(wizard.Pid());
    const uint64_t loopStart = ThreadCpuNs(loopTid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double windowNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    const double hostedNs = static_cast<double>(CpuNs(hosted.Pid()) - hostedStart);
    const double waitingNs = static_cast<double>(CpuNs(waiting.Pid()) - waitingStart);
    const double wizardNs = static_cast<double>(CpuNs(wizard.Pid()) - wizardStart);
    const double loopNs = static_cast<double>(ThreadCpuNs(loopTid) - loopStart);
    stop = true;
    loop.join();
    hosted.WriteLine("/shutdown");
    waiting.WriteLine("/shutdown");
    hosted.Wait(std::chrono::seconds(10));
    waiting.Wait(std::chrono::seconds(10));

    std::printf("Idle CPU over %.1f s (share of one core)\n", windowNs / 1e9);
    Goal("hosted, empty, no queries", 100.0 * hostedNs / windowNs, "% core", true, 1.0);
    Figure("bare 9 ms sleep loop", 100.0 * loopNs / windowNs, "% core");
    Goal("hosted / bare loop", loopNs > 0 ? hostedNs / loopNs : 0, "x", true, 2.0);
    Goal("setup wizard waiting (terminal face)", 100.0 * wizardNs / windowNs, "% core", true, 0.05);
    Goal("console waiting, nothing hosted", 100.0 * waitingNs / windowNs, "% core", true, 0.05);
    return 0;
}
