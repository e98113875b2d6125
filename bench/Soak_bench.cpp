// Soak: a long run of everything at once against one dravoserv (scripts/soak.sh
// runs it for 10 minutes on a ThreadSanitizer build; not part of CI):
//   16 bot players that leave and rejoin (--churn 20), 500 "\status\" queries a
//   second from 100 loopback addresses, an operator console command every 50 ms,
//   a level change every 30 s.
// Every 10 s it records the resident memory and the cadence of that window.
// It fails on a sanitizer report, a hang (no answer to a command within 10 s, or
// no exit within 30 s of the shutdown), memory that grows by more than 10% after
// the first minute, or a window that misses the idle cadence goals (reported,
// since a sanitizer build runs slower: --strict makes it fail the run).
#include "support/Figures.h"
#include "support/ProcStats.h"
#include "support/QueryHost.h"
#include "support/QueryLoad.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

using namespace dravo::bench;
using dravo::test::QueryLoad;

namespace {

constexpr std::string_view STATUS_QUERY = "\\status\\";
constexpr uint32_t ADDRESSES = 100;
constexpr double QUERY_RATE = 500;
const char* const COMMANDS[] = {"status", "/players", "/status", "fragrate", "TractorBeam 1", "addfrag Bot1 1"};

struct Window {
    double m_Minute = 0;
    double m_RssMb = 0;
    double m_Steps = 0, m_P50 = 0, m_P99 = 0, m_Max = 0;
};

} // namespace

int main(int argc, char** argv) {
    const double minutes = NumberOption(argc, argv, "--minutes", 10);
    const bool strict = std::find_if(argv + 1, argv + argc, [](const char* word) {
                            return std::strcmp(word, "--strict") == 0;
                        }) != argv + argc;
    QueryHost host(0, {{"fragrate", "6"}});
    if (!host.Ready()) {
        std::fprintf(stderr, "%s\n", host.Failure().c_str());
        return 1;
    }
    LiveProcess& server = host.Server();
    LiveProcess bots(BinDir() / "dravo-bot",
                     {"--host", "127.0.0.1", "--port", std::to_string(host.GamePort()), "--count", "16", "--churn",
                      "20", "--duration", std::to_string(static_cast<int>(minutes * 60 + 60)), "--quiet"},
                     "/tmp");
    QueryLoad load;
    uint64_t sent = 0, answered = 0;
    auto count = [&](uint32_t, std::string_view datagram, Clock::time_point) {
        answered += datagram.find("\\final\\") != std::string_view::npos ? 1 : 0;
    };

    std::vector<Window> windows;
    bool hung = false;
    size_t commandIndex = 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(minutes * 60));
    auto nextCommand = start, nextLevel = start + std::chrono::seconds(30),
         nextWindow = start + std::chrono::seconds(10);
    server.WriteLine("frameintervals reset");
    uint32_t address = 0;
    for (auto tick = start; tick < end && !hung; tick += std::chrono::milliseconds(1)) {
        const double due = QUERY_RATE * std::chrono::duration<double>(tick - start).count();
        while (static_cast<double>(sent) < due) {
            load.Send(host.QueryPort(), STATUS_QUERY, address);
            address = (address + 1) % ADDRESSES;
            ++sent;
        }
        load.ReceiveWaiting(count);
        if (tick >= nextCommand) {
            server.WriteLine(COMMANDS[commandIndex++ % std::size(COMMANDS)]);
            nextCommand += std::chrono::milliseconds(50);
        }
        if (tick >= nextLevel) {
            server.WriteLine("/nextlevel");
            nextLevel += std::chrono::seconds(30);
        }
        if (tick >= nextWindow) {
            nextWindow += std::chrono::seconds(10);
            const size_t from = server.LineCount();
            server.WriteLine("frameintervals reset");
            const auto line = server.WaitForLine("frameintervals:", std::chrono::seconds(10), from);
            if (!line) {
                hung = true;
                break;
            }
            Window window;
            window.m_Minute = std::chrono::duration<double>(Clock::now() - start).count() / 60.0;
            window.m_RssMb = static_cast<double>(RssKb(server.Pid())) / 1024.0;
            double intervals = 0;
            std::sscanf(line->m_Text.c_str() + line->m_Text.find("frameintervals: "),
                        "frameintervals: %lf intervals, p50 %lf ms, p99 %lf ms, max %lf ms", &intervals, &window.m_P50,
                        &window.m_P99, &window.m_Max);
            window.m_Steps = intervals / 10.0;
            windows.push_back(window);
            std::printf("%5.1f min: rss %.1f MB, %.1f steps/s, p50 %.1f ms, p99 %.1f ms, max %.1f ms, %llu sent, "
                        "%llu answered\n",
                        window.m_Minute, window.m_RssMb, window.m_Steps, window.m_P50, window.m_P99, window.m_Max,
                        static_cast<unsigned long long>(sent), static_cast<unsigned long long>(answered));
            std::fflush(stdout);
        }
        std::this_thread::sleep_until(tick + std::chrono::milliseconds(1));
    }
    server.WriteLine("/shutdown");
    const int status = server.Wait(std::chrono::seconds(30));
    const std::string output = server.Output() + server.Errors();
    const bool reports = output.find("ThreadSanitizer") != std::string::npos ||
                         output.find("AddressSanitizer") != std::string::npos ||
                         output.find("runtime error") != std::string::npos;

    // Memory after the first minute against the end; cadence over every window.
    double firstMinuteRss = 0, lastRss = 0, worstSteps = 1e9, worstP99 = 0, worstMax = 0;
    for (const Window& window : windows) {
        if (firstMinuteRss == 0 && window.m_Minute >= 1.0) {
            firstMinuteRss = window.m_RssMb;
        }
        lastRss = window.m_RssMb;
        worstSteps = std::min(worstSteps, window.m_Steps);
        worstP99 = std::max(worstP99, window.m_P99);
        worstMax = std::max(worstMax, window.m_Max);
    }
    const double growth = firstMinuteRss > 0 ? 100.0 * (lastRss - firstMinuteRss) / firstMinuteRss : 0;
    std::printf("Soak of %.1f minutes: %llu queries sent, %llu answered (per-address limits apply)\n", minutes,
                static_cast<unsigned long long>(sent), static_cast<unsigned long long>(answered));
    Goal("sanitizer reports", reports ? 1 : 0, "", true, 0);
    Goal("hung (command or shutdown unanswered)", hung || status < 0 ? 1 : 0, "", true, 0);
    Figure("exit status", status, "");
    Figure("resident memory after 1 minute", firstMinuteRss, "MB");
    Figure("resident memory at the end", lastRss, "MB");
    Goal("memory growth after the first minute", growth, "%", true, 10);
    Goal("slowest window, steps per second", worstSteps, "steps/s", false, 103);
    Goal("worst window interval p99", worstP99, "ms", true, 11);
    Goal("worst window interval max", worstMax, "ms", true, 25);
    const bool cadenceMet = worstSteps >= 103 && worstP99 <= 11 && worstMax <= 25;
    if (reports) {
        const size_t at = output.find("WARNING:");
        std::fprintf(stderr, "%s\n", output.substr(at == std::string::npos ? 0 : at, 6000).c_str());
    }
    const bool failed = reports || hung || status != 0 || growth > 10 || (strict && !cadenceMet);
    return failed ? 1 : 0;
}
