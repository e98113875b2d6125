// Queries against the cadence, with the default answer limits of a real server and
// 16 bot players, all in one run:
//   - cadence idle for --seconds (10), then under a flood of 20,000 "\status\"
//     queries a second from 2000 loopback addresses for as long (engine's
//     "frameintervals"); goals: steps a second at least 95% of idle, p99 <= 12 ms;
//   - a burst of 150 queries from 150 fresh addresses sent at once: all answered;
//   - latency at low load: 200 queries, 20 a second, each from a fresh address,
//     from the send to the answer's last datagram; goals: p50 at most 0.6 of the
//     step interval, p99 at most one interval plus 1 ms.
// Then the flood, the burst and the latency again with A2S requests (info, players and rules in turn), each
// address with the challenge it fetched before: the same goals.
#include "support/A2sQueries.h"
#include "support/Figures.h"
#include "support/QueryHost.h"
#include "support/QueryLoad.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <unordered_map>

using namespace dravo::bench;
using dravo::test::QueryLoad;

namespace {

constexpr std::string_view STATUS_QUERY = "\\status\\";
constexpr uint32_t FLOOD_ADDRESSES = 2000;
constexpr uint32_t BURST_FIRST = 10000; // fresh addresses for the burst
constexpr uint32_t LATENCY_FIRST = 20000;
constexpr uint32_t A2S_FIRST = 30000; // the A2S phases' addresses, from here on in the same layout

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
    return values[index];
}

// What one protocol sends and what counts as an answer's end.
struct Protocol {
    const char* m_Name;
    uint32_t m_First; // added to every address index
    std::function<std::string(uint32_t index, uint64_t n)> m_Query;
    std::function<bool(std::string_view datagram)> m_Final;
};

Protocol GameSpy() {
    return {"\\status\\", 0, [](uint32_t, uint64_t) { return std::string(STATUS_QUERY); },
            [](std::string_view datagram) { return datagram.find("\\final\\") != std::string_view::npos; }};
}

// A2S requests in turn, from addresses whose challenges `challenges` holds.
Protocol A2s(const A2sChallenges& challenges) {
    return {"A2S", A2S_FIRST,
            [&challenges](uint32_t index, uint64_t n) {
                return challenges.Query(static_cast<A2sKind>(n % 3), QueryLoad::SourceAddress(index));
            },
            [](std::string_view datagram) { return IsA2sAnswer(datagram); }};
}

// The cadence under `rate` queries a second from FLOOD_ADDRESSES addresses for `window`.
void Flood(QueryHost& host, QueryLoad& load, const Protocol& protocol, Clock::duration window, double rate,
           double idleSteps) {
    uint64_t sent = 0, answered = 0;
    auto count = [&](uint32_t, std::string_view datagram, Clock::time_point) {
        answered += protocol.m_Final(datagram) ? 1 : 0;
    };
    host.Intervals(true);
    const auto start = Clock::now();
    uint32_t next = 0;
    for (auto tick = start; tick < start + window; tick += std::chrono::milliseconds(1)) {
        const double due = rate * std::chrono::duration<double>(tick - start).count();
        while (static_cast<double>(sent) < due) {
            load.Send(host.QueryPort(), protocol.m_Query(protocol.m_First + next, sent), protocol.m_First + next);
            next = (next + 1) % FLOOD_ADDRESSES;
            ++sent;
        }
        load.ReceiveWaiting(count);
        std::this_thread::sleep_until(tick + std::chrono::milliseconds(1));
    }
    const FrameIntervals flood = host.Intervals(false);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    load.Receive(Clock::now() + std::chrono::milliseconds(500), count);
    std::printf("%s flood of %.0f queries/s from %u addresses, 16 players\n", protocol.m_Name, rate, FLOOD_ADDRESSES);
    Figure("flood: queries sent per second", static_cast<double>(sent) / seconds, "/s");
    Figure("flood: answers received per second", static_cast<double>(answered) / seconds, "/s");
    Goal("flood steps per second / idle", 100.0 * flood.m_Count / seconds / idleSteps, "%", false, 95);
    Goal("flood interval p99", flood.m_P99, "ms", true, 12);
    Figure("flood interval p50", flood.m_P50, "ms");
    Figure("flood interval max", flood.m_Max, "ms");
}

// A burst from fresh addresses, all sent within a fraction of a step.
void Burst(QueryHost& host, QueryLoad& load, const Protocol& protocol) {
    const uint32_t first = protocol.m_First + BURST_FIRST;
    std::unordered_map<uint32_t, bool> answered;
    const auto start = Clock::now();
    for (uint32_t i = 0; i < 150; ++i) {
        load.Send(host.QueryPort(), protocol.m_Query(first + i, i), first + i);
    }
    const double sendMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    load.Receive(Clock::now() + std::chrono::seconds(2), [&](uint32_t index, std::string_view datagram, auto) {
        if (index >= first && index < first + 150 && protocol.m_Final(datagram)) {
            answered[index] = true;
        }
    });
    std::printf("%s burst of 150 queries from 150 addresses, sent within %.2f ms\n", protocol.m_Name, sendMs);
    Goal("burst answers", static_cast<double>(answered.size()), "of 150", false, 150);
}

// Latency at low load: 200 queries, 20 a second, each from a fresh address.
void Latency(QueryHost& host, QueryLoad& load, const Protocol& protocol, double idleSteps) {
    const uint32_t first = protocol.m_First + LATENCY_FIRST;
    std::vector<double> latencies;
    std::unordered_map<uint32_t, Clock::time_point> sentAt;
    auto onAnswer = [&](uint32_t index, std::string_view datagram, Clock::time_point arrived) {
        const auto found = sentAt.find(index);
        if (found != sentAt.end() && protocol.m_Final(datagram)) {
            latencies.push_back(std::chrono::duration<double, std::milli>(arrived - found->second).count());
            sentAt.erase(found);
        }
    };
    for (uint32_t i = 0; i < 200; ++i) {
        const auto tick = Clock::now();
        sentAt[first + i] = tick;
        load.Send(host.QueryPort(), protocol.m_Query(first + i, i), first + i);
        load.Receive(tick + std::chrono::milliseconds(50), onAnswer);
    }
    load.Receive(Clock::now() + std::chrono::milliseconds(200), onAnswer);
    const double interval = idleSteps > 0 ? 1000.0 / idleSteps : 0;
    std::printf("%s latency at 20 queries/s, step interval %.2f ms (from the idle steps per second)\n", protocol.m_Name,
                interval);
    Figure("answered", static_cast<double>(latencies.size()), "of 200");
    Goal("latency p50 / step interval", Percentile(latencies, 0.50) / interval, "x", true, 0.6);
    Goal("latency p99 - step interval", Percentile(latencies, 0.99) - interval, "ms", true, 1.0);
    Figure("latency p50", Percentile(latencies, 0.50), "ms");
    Figure("latency p99", Percentile(latencies, 0.99), "ms");
}

// The challenges of every address the A2S phases use.
size_t FetchChallenges(QueryHost& host, QueryLoad& load, A2sChallenges& challenges) {
    std::vector<uint32_t> addresses;
    for (uint32_t i = 0; i < FLOOD_ADDRESSES; ++i) {
        addresses.push_back(QueryLoad::SourceAddress(A2S_FIRST + i));
    }
    for (uint32_t i = 0; i < 200; ++i) {
        addresses.push_back(QueryLoad::SourceAddress(A2S_FIRST + LATENCY_FIRST + i));
        if (i < 150) {
            addresses.push_back(QueryLoad::SourceAddress(A2S_FIRST + BURST_FIRST + i));
        }
    }
    return challenges.Fetch(load, host.QueryPort(), addresses);
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
    host.Intervals(true);
    const auto start = Clock::now();
    std::this_thread::sleep_for(window);
    const FrameIntervals idle = host.Intervals(true);
    const double idleSteps = idle.m_Count / std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("Cadence idle for %.0f s, 16 players\n", seconds);
    Figure("idle steps per second", idleSteps, "steps/s");
    Figure("idle interval p50", idle.m_P50, "ms");
    Figure("idle interval p99", idle.m_P99, "ms");
    Figure("idle interval max", idle.m_Max, "ms");
    A2sChallenges challenges;
    for (const Protocol& protocol : {GameSpy(), A2s(challenges)}) {
        if (protocol.m_First == A2S_FIRST) {
            std::printf("(challenges fetched for %zu addresses)\n", FetchChallenges(host, load, challenges));
            std::this_thread::sleep_for(std::chrono::seconds(2)); // the fetch is out of the budget's window
        }
        Flood(host, load, protocol, window, floodRate, idleSteps);
        Burst(host, load, protocol);
        Latency(host, load, protocol, idleSteps);
    }
    return 0;
}
