// Floods meant to turn the query ports against others, each with a legitimate querier among them:
//   A. plain "\status\", 20,000 a second from 2000 addresses, 16 players;
//   B. "status" repeated to 1023 bytes on the game port, 300 a second from 300 addresses, 128 players
//      with 60-character names;
//   C. "\status\" from 6000 addresses at one a second each, 16 players.
// For each: the answer bytes a second the server sends from the flood's first second on (goal: at most
// the byte budget plus one answer; the budget is a bucket one second deep, so the first second may also
// spend what was saved before the flood, which the whole-flood figure shows),
// the steps a second against idle (at least 95%), the step interval p99 (at most 12 ms), and what a new
// address asking "\status\" every 0.5 s, 10 times, gets (at least 9 answered). Then the worst single
// datagram: the largest answer one query can bring (goal: one "\status\" answer's worth).
#include "support/Figures.h"
#include "support/QueryHost.h"
#include "support/QueryLoad.h"

#include <cstdio>
#include <set>
#include <string>
#include <thread>

using namespace dravo::bench;

namespace {

constexpr std::string_view STATUS_QUERY = "\\status\\";
constexpr double BYTE_BUDGET = 256.0 * 1024.0; // the default SpyGlobalBytes
constexpr uint32_t LEGIT_INDEX = 60000;

double IdleSteps(QueryHost& host, double seconds) {
    host.Intervals(true);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const FrameIntervals idle = host.Intervals(true);
    return idle.m_Count / std::chrono::duration<double>(Clock::now() - start).count();
}

struct Flood {
    std::string m_Query;
    uint16_t m_Port = 0;
    double m_Rate = 0;        // queries a second, all addresses together
    uint32_t m_Addresses = 0; // sent from in turn, starting at index 0
};

struct FloodResult {
    double m_AnswerBytesPerSecond = 0; // from the first second on
    double m_WholeBytesPerSecond = 0;  // the whole flood, its first second included
    double m_StepsPerSecond = 0;
    FrameIntervals m_Intervals;
    int m_LegitAnswered = 0;
};

// Runs the flood for `seconds`; the legitimate querier starts after a second and asks ten times.
FloodResult RunFlood(QueryHost& host, QueryLoad& load, const Flood& flood, double seconds, uint32_t legitIndex) {
    FloodResult result;
    uint64_t bytes = 0;
    uint64_t steadyBytes = 0; // from the first second on, once the budget saved while idle is spent
    const auto start = Clock::now();
    const auto steadyFrom = start + std::chrono::seconds(1);
    std::set<int> legitAnswers; // by query number: an answer of several datagrams counts once
    int legitAsked = 0;
    auto onDatagram = [&](uint32_t index, std::string_view datagram, Clock::time_point at) {
        bytes += datagram.size();
        steadyBytes += at >= steadyFrom ? datagram.size() : 0;
        if (index == legitIndex && datagram.find("\\final\\") != std::string_view::npos) {
            legitAnswers.insert(legitAsked);
        }
    };
    host.Intervals(true);
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    auto nextLegit = start + std::chrono::seconds(1);
    uint64_t sent = 0;
    uint32_t next = 0;
    for (auto tick = start; tick < end; tick += std::chrono::milliseconds(1)) {
        const double due = flood.m_Rate * std::chrono::duration<double>(tick - start).count();
        while (static_cast<double>(sent) < due) {
            load.Send(flood.m_Port, flood.m_Query, next);
            next = (next + 1) % flood.m_Addresses;
            ++sent;
        }
        if (legitAsked < 10 && tick >= nextLegit) {
            ++legitAsked;
            load.Send(host.QueryPort(), STATUS_QUERY, legitIndex);
            nextLegit += std::chrono::milliseconds(500);
        }
        load.ReceiveWaiting(onDatagram);
        std::this_thread::sleep_until(tick + std::chrono::milliseconds(1));
    }
    result.m_Intervals = host.Intervals(false);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    load.Receive(Clock::now() + std::chrono::milliseconds(300), onDatagram);
    result.m_AnswerBytesPerSecond = static_cast<double>(steadyBytes) / (elapsed - 1.0);
    result.m_WholeBytesPerSecond = static_cast<double>(bytes) / elapsed;
    result.m_StepsPerSecond = result.m_Intervals.m_Count / elapsed;
    result.m_LegitAnswered = static_cast<int>(legitAnswers.size());
    return result;
}

// The bytes one query from a fresh address brings back.
size_t AnswerBytes(QueryLoad& load, uint16_t port, std::string_view query, uint32_t index) {
    size_t bytes = 0;
    load.Send(port, query, index);
    load.Receive(Clock::now() + std::chrono::milliseconds(500),
                 [&](uint32_t from, std::string_view datagram, auto) { bytes += from == index ? datagram.size() : 0; });
    return bytes;
}

void Report(const char* name, const FloodResult& result, double idleSteps, size_t oneAnswer) {
    std::printf("%s\n", name);
    Goal("answer bytes per second, from the first second on", result.m_AnswerBytesPerSecond, "B/s", true,
         BYTE_BUDGET + static_cast<double>(oneAnswer));
    Figure("answer bytes per second, whole flood", result.m_WholeBytesPerSecond, "B/s");
    Goal("steps per second / idle", 100.0 * result.m_StepsPerSecond / idleSteps, "%", false, 95);
    Goal("step interval p99", result.m_Intervals.m_P99, "ms", true, 12);
    Figure("step interval max", result.m_Intervals.m_Max, "ms");
    Goal("legitimate querier answered", result.m_LegitAnswered, "of 10", false, 9);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 8);
    QueryLoad load;
    {
        QueryHost host(16);
        if (!host.Ready()) {
            std::fprintf(stderr, "%s\n", host.Failure().c_str());
            return 1;
        }
        const double idle = IdleSteps(host, seconds);
        const size_t status16 = AnswerBytes(load, host.QueryPort(), STATUS_QUERY, 50000);
        std::printf("16 players: idle %.1f steps a second, a status answer of %zu bytes\n", idle, status16);
        const FloodResult a =
            RunFlood(host, load, {std::string(STATUS_QUERY), host.QueryPort(), 20000, 2000}, seconds, LEGIT_INDEX);
        Report("A. \\status\\, 20,000 a second from 2000 addresses", a, idle, status16);
        const FloodResult c =
            RunFlood(host, load, {std::string(STATUS_QUERY), host.QueryPort(), 6000, 6000}, seconds, LEGIT_INDEX + 1);
        Report("C. \\status\\ from 6000 addresses at one a second each", c, idle, status16);
    }
    {
        // Names of 60 characters: "PPP...P1" to "PPP...P128".
        QueryHost host(128, {{"MaxPlayers", "128"}}, {"--prefix", std::string(57, 'P')});
        if (!host.Ready()) {
            std::fprintf(stderr, "%s\n", host.Failure().c_str());
            return 1;
        }
        const double idle = IdleSteps(host, seconds);
        std::string repeated;
        while (repeated.size() + 7 <= 1023) {
            repeated += "\\status";
        }
        const size_t status128 = AnswerBytes(load, host.QueryPort(), STATUS_QUERY, 50001);
        const size_t worst = AnswerBytes(load, host.QueryPort(), repeated.substr(0, 500), 50002);
        std::printf("128 players: idle %.1f steps a second, a status answer of %zu bytes\n", idle, status128);
        const FloodResult b = RunFlood(host, load, {repeated, host.GamePort(), 300, 300}, seconds, LEGIT_INDEX + 2);
        Report("B. repeated status, 1023 bytes on the game port, 300 a second from 300 addresses", b, idle, status128);
        std::printf("The worst single datagram (500 bytes of repeated status on the query port)\n");
        Goal("its answer / one status answer", static_cast<double>(worst) / static_cast<double>(status128), "x", true,
             1.0);
    }
    return 0;
}
