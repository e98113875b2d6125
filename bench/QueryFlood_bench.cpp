// Queries against the cadence, with the default answer limits of a real server and
// 16 bot players, all in one run:
//   - cadence idle for --seconds (10), then under a flood of 20,000 "\status\"
//     queries a second from 2000 loopback addresses for as long (engine's
//     "frameintervals"); goals: steps a second at least 95% of idle, p99 <= 12 ms;
//   - a burst of 150 queries from 150 fresh addresses sent at once: all answered;
//   - latency at low load: 200 queries, 20 a second, each from a fresh address,
//     from the send to the answer's last datagram; goals: p50 at most 0.6 of the
//     step interval, p99 at most one interval plus 1 ms.
#include "support/Figures.h"
#include "support/QueryHost.h"
#include "support/QueryLoad.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <unordered_map>

using namespace dravo::bench;
using dravo::test::QueryLoad;

namespace {

constexpr std::string_view STATUS_QUERY = "\\status\\";
constexpr uint32_t FLOOD_ADDRESSES = 2000;
constexpr uint32_t BURST_FIRST = 10000; // fresh addresses for the burst
constexpr uint32_t LATENCY_FIRST = 20000;

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
    return values[index];
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 10);
    const double floodRate = NumberOption(argc, argv, "--rate", 20000);
    QueryHost host(16);
    if (!host.Ready()) {
        std::fprintf(stderr, "%s\n", host.Failure().c_str());
        return 1;
    }
    QueryLoad load;
    const auto window = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));

    // Cadence idle.
    host.Intervals(true);
    auto start = Clock::now();
    std::this_thread::sleep_for(window);
    const FrameIntervals idle = host.Intervals(true);
    const double idleSteps = idle.m_Count / std::chrono::duration<double>(Clock::now() - start).count();

    // Cadence under the flood.
    uint64_t sent = 0, answered = 0;
    auto count = [&](uint32_t, std::string_view datagram, Clock::time_point) {
        answered += datagram.find("\\final\\") != std::string_view::npos ? 1 : 0;
    };
    start = Clock::now();
    uint32_t next = 0;
    for (auto tick = start; tick < start + window; tick += std::chrono::milliseconds(1)) {
        const double due = floodRate * std::chrono::duration<double>(tick - start).count();
        while (static_cast<double>(sent) < due) {
            load.Send(host.QueryPort(), STATUS_QUERY, next);
            next = (next + 1) % FLOOD_ADDRESSES;
            ++sent;
        }
        load.ReceiveWaiting(count);
        std::this_thread::sleep_until(tick + std::chrono::milliseconds(1));
    }
    const FrameIntervals flood = host.Intervals(false);
    const double floodSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double floodSteps = flood.m_Count / floodSeconds;
    load.Receive(Clock::now() + std::chrono::milliseconds(500), count);

    // A burst from fresh addresses, all sent within a fraction of a step.
    std::unordered_map<uint32_t, bool> burstAnswered;
    const auto burstStart = Clock::now();
    for (uint32_t i = 0; i < 150; ++i) {
        load.Send(host.QueryPort(), STATUS_QUERY, BURST_FIRST + i);
    }
    const double burstSendMs = std::chrono::duration<double, std::milli>(Clock::now() - burstStart).count();
    load.Receive(Clock::now() + std::chrono::seconds(2), [&](uint32_t index, std::string_view datagram, auto) {
        if (index >= BURST_FIRST && index < BURST_FIRST + 150 && datagram.find("\\final\\") != std::string_view::npos) {
            burstAnswered[index] = true;
        }
    });

    // Latency at low load.
    std::vector<double> latencies;
    std::unordered_map<uint32_t, Clock::time_point> sentAt;
    auto onAnswer = [&](uint32_t index, std::string_view datagram, Clock::time_point arrived) {
        const auto found = sentAt.find(index);
        if (found != sentAt.end() && datagram.find("\\final\\") != std::string_view::npos) {
            latencies.push_back(std::chrono::duration<double, std::milli>(arrived - found->second).count());
            sentAt.erase(found);
        }
    };
    for (uint32_t i = 0; i < 200; ++i) {
        const auto tick = Clock::now();
        sentAt[LATENCY_FIRST + i] = tick;
        load.Send(host.QueryPort(), STATUS_QUERY, LATENCY_FIRST + i);
        load.Receive(tick + std::chrono::milliseconds(50), onAnswer);
    }
    load.Receive(Clock::now() + std::chrono::milliseconds(200), onAnswer);
    const double interval = idleSteps > 0 ? 1000.0 / idleSteps : 0;

    std::printf("Cadence idle and under a flood of %.0f queries/s from %u addresses, %.0f s each, 16 players\n",
                floodRate, FLOOD_ADDRESSES, seconds);
    Figure("idle steps per second", idleSteps, "steps/s");
    Figure("idle interval p50", idle.m_P50, "ms");
    Figure("idle interval p99", idle.m_P99, "ms");
    Figure("idle interval max", idle.m_Max, "ms");
    Figure("flood: queries sent per second", static_cast<double>(sent) / floodSeconds, "/s");
    Figure("flood: answers received per second", static_cast<double>(answered) / floodSeconds, "/s");
    Goal("flood steps per second / idle", 100.0 * floodSteps / idleSteps, "%", false, 95);
    Goal("flood interval p99", flood.m_P99, "ms", true, 12);
    Figure("flood interval p50", flood.m_P50, "ms");
    Figure("flood interval max", flood.m_Max, "ms");
    std::printf("Burst of 150 queries from 150 addresses, sent within %.2f ms\n", burstSendMs);
    Goal("burst answers", static_cast<double>(burstAnswered.size()), "of 150", false, 150);
    std::printf("Latency at 20 queries/s, step interval %.2f ms (from the idle steps per second)\n", interval);
    Figure("answered", static_cast<double>(latencies.size()), "of 200");
    Goal("latency p50 / step interval", Percentile(latencies, 0.50) / interval, "x", true, 0.6);
    Goal("latency p99 - step interval", Percentile(latencies, 0.99) - interval, "ms", true, 1.0);
    Figure("latency p50", Percentile(latencies, 0.50), "ms");
    Figure("latency p99", Percentile(latencies, 0.99), "ms");
    return 0;
}
