// Status answers: CPU time per "\status\" answer of dravoserv hosting 16 and 128
// bot players, against a bare answerer (recvfrom, then sendto of datagrams of the
// same sizes) driven by the same load in the same run.
//
// The load: --rate queries a second (3000 for 16 players, 1500 for 128) for
// --seconds (5) from 2000 loopback source addresses (127.0.0.2 and up), so each
// address stays inside its per-address allowance; the global budget is lifted
// (SpyGlobalRate 0, SpyGlobalBytes 0) so every answer is a full one. dravoserv's cost per answer is
// its CPU time during the load, less its idle CPU time over as long (measured just
// before with the same players), divided by the answers that came back.
// Goals: at least 70% of the bare rate with 16 players, 50% with 128.
#include "support/Figures.h"
#include "support/ProcStats.h"
#include "support/QueryHost.h"
#include "support/QueryLoad.h"

#include <thread>

using namespace dravo::bench;
using dravo::test::BareAnswerer;
using dravo::test::QueryLoad;

namespace {

constexpr uint32_t ADDRESSES = 2000;
constexpr std::string_view STATUS_QUERY = "\\status\\";

struct LoadResult {
    uint64_t m_Sent = 0;
    uint64_t m_Answers = 0; // datagrams carrying \final\ (one per answer)
    uint64_t m_Datagrams = 0;
    double m_CpuNs = 0;
    double m_Seconds = 0;
};

// Sends `rate` queries a second for `seconds`, receiving all the while; CPU of `pid` over the window.
LoadResult Load(QueryLoad& load, uint16_t port, double rate, double seconds, pid_t pid) {
    LoadResult result;
    auto onDatagram = [&](uint32_t, std::string_view datagram, Clock::time_point) {
        ++result.m_Datagrams;
        if (datagram.find("\\final\\") != std::string_view::npos) {
            ++result.m_Answers;
        }
    };
    const auto start = Clock::now();
    const uint64_t cpuStart = CpuNs(pid);
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    uint32_t next = 0;
    for (auto tick = start; tick < end; tick += std::chrono::milliseconds(1)) {
        const double due = rate * std::chrono::duration<double>(tick - start).count();
        while (static_cast<double>(result.m_Sent) < due) {
            load.Send(port, STATUS_QUERY, next);
            next = (next + 1) % ADDRESSES;
            ++result.m_Sent;
        }
        load.ReceiveWaiting(onDatagram);
        std::this_thread::sleep_until(tick + std::chrono::milliseconds(1));
    }
    load.Receive(Clock::now() + std::chrono::milliseconds(300), onDatagram); // the last answers
    result.m_CpuNs = static_cast<double>(CpuNs(pid) - cpuStart);
    result.m_Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return result;
}

// The sizes of the datagrams of one answer, asked from an address the load never uses.
std::vector<size_t> AnswerSizes(QueryLoad& load, uint16_t port) {
    std::vector<size_t> sizes;
    bool final = false;
    load.Send(port, STATUS_QUERY, ADDRESSES + 10);
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (!final && Clock::now() < end) {
        load.Receive(Clock::now() + std::chrono::milliseconds(20), [&](uint32_t, std::string_view datagram, auto) {
            sizes.push_back(datagram.size());
            final = final || datagram.find("\\final\\") != std::string_view::npos;
        });
    }
    return sizes;
}

int RunCase(int players, double rate, double seconds) {
    QueryHost host(players, {{"SpyGlobalRate", "0"}, {"SpyGlobalBytes", "0"}});
    if (!host.Ready()) {
        std::fprintf(stderr, "%s\n", host.Failure().c_str());
        return 1;
    }
    QueryLoad load;
    const std::vector<size_t> sizes = AnswerSizes(load, host.QueryPort());
    if (sizes.empty()) {
        std::fprintf(stderr, "no answer to %s\n", std::string(STATUS_QUERY).c_str());
        return 1;
    }
    size_t bytes = 0;
    for (size_t size : sizes) {
        bytes += size;
    }
    // Idle cost with the same players, over as long as the load runs.
    const pid_t pid = host.Server().Pid();
    const uint64_t idleStart = CpuNs(pid);
    const auto idleBegin = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double idleNsPerSecond =
        static_cast<double>(CpuNs(pid) - idleStart) / std::chrono::duration<double>(Clock::now() - idleBegin).count();

    const LoadResult hosted = Load(load, host.QueryPort(), rate, seconds, pid);
    BareAnswerer bare(sizes);
    const LoadResult baseline = Load(load, bare.Port(), rate, seconds, bare.Pid());

    const double hostedNs =
        (hosted.m_CpuNs - idleNsPerSecond * hosted.m_Seconds) / static_cast<double>(hosted.m_Answers);
    const double bareNs = baseline.m_CpuNs / static_cast<double>(baseline.m_Answers);
    std::printf("%d players: answer of %zu datagrams, %zu bytes; %.0f queries/s for %.0f s from %u addresses\n",
                players, sizes.size(), bytes, rate, seconds, ADDRESSES);
    Figure("  dravoserv answers (of queries sent)",
           static_cast<double>(hosted.m_Answers) / static_cast<double>(hosted.m_Sent) * 100.0, "%");
    Figure("  dravoserv idle CPU with these players", idleNsPerSecond / 1e7, "% core");
    Figure("  dravoserv CPU per answer (above idle)", hostedNs / 1000.0, "us");
    Figure("  bare answerer answers (of queries sent)",
           static_cast<double>(baseline.m_Answers) / static_cast<double>(baseline.m_Sent) * 100.0, "%");
    Figure("  bare answerer CPU per answer", bareNs / 1000.0, "us");
    Goal("  dravoserv rate as share of the bare rate", 100.0 * bareNs / hostedNs, "%", false, players <= 16 ? 70 : 50);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 5);
    const double rate16 = NumberOption(argc, argv, "--rate", 3000);
    const double rate128 = NumberOption(argc, argv, "--rate", 1500);
    std::printf("CPU time per \\status\\ answer, dravoserv against a bare answerer\n");
    if (RunCase(16, rate16, seconds) != 0 || RunCase(128, rate128, seconds) != 0) {
        return 1;
    }
    return 0;
}
