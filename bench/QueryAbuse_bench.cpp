// Floods meant to turn the query ports against others, or to crowd out those who ask as browsers do.
// Each runs 8 s aimed at the query port, then again at the game port, while a browser that the server
// protected before the floods (it asked twice, 2.5 s apart) asks "\status\" every 0.7 s, ten times, and a
// fresh address (never seen before, a new one each time) asks every 50 ms, a hundred times, all on the
// port the flood aims at:
//   A. "\status\", 20,000 a second from 2000 addresses, 16 players;
//   B. "status" repeated to 1023 bytes, 300 a second from 300 addresses, 128 players with 60-character names;
//   C. "\status\" from 6000 addresses at one a second each, 16 players;
//   D. 6000 addresses, each sending two queries back to back, 6000 a second, 16 players;
//   E. 6000 addresses churning: each asks once a second for 4 s, 1500 new ones a second, 16 players;
//   F. 20,000 a second from 7654 addresses that share three buckets of the address table, 16 players. The
//      benchmarks' copy of the program (dravoserv-bench) hashes with a fixed key, which this program
//      knows too: the set is the worst one can build, not a guess.
// Goals for every flood: answer bytes a second, counted from the flood's start, at most the budget plus one
// answer; steps a second at least 97% of idle and the step interval's p99 at most 12 ms; no datagram
// dropped by the system on the query socket (every flood here is at most 20,000 a second); the fresh
// addresses answered at least as often as their fair share (the budget spread evenly over every address
// asking, in answers a second, each wanting one). In D and E, the browser answered at least 9 of 10
// times, with the players. Then the worst single datagram: the largest answer one query can bring.
// Then the same floods of A2S requests on the query port (info, players and rules in turn, each source with
// the challenge it fetched before the flood), and a spoofed one (info requests that never carry their
// challenge, 20,000 a second from 2000 addresses): the same goals, and beside each the same flood of
// "\status\": the A2S flood may cost no more answer bytes (give or take one answer) and no more steps.
#include "net/query/AddressTable.h"
#include "net/query/AnswerRateLimiter.h"
#include "net/query/SipHash.h"
#include "support/A2sQueries.h"
#include "support/Figures.h"
#include "support/FixedHashKey.h"
#include "support/ProcStats.h"
#include "support/QueryAskers.h"
#include "support/QueryHost.h"
#include "support/QueryLoad.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

using namespace dravo::bench;
using dravo::test::QueryLoad;

namespace {

constexpr double BYTE_BUDGET = 256.0 * 1024.0; // the default SpyGlobalBytes

// Which source the n-th datagram of a flood comes from, given the seconds since the flood began.
using Source = std::function<uint32_t(uint64_t n, double seconds)>;

struct Flood {
    std::string m_Name;
    std::string m_Query;
    double m_Rate = 0;        // datagrams a second, all sources together
    uint32_t m_Addresses = 0; // distinct sources asking within a second or so (for the fair share)
    Source m_Source;          // an address in host byte order
    bool m_BrowserGoal = false;
    const A2sChallenges* m_A2s = nullptr; // A2S requests in turn, with these challenges, instead of m_Query
};

struct FloodResult {
    double m_BytesPerSecond = 0; // from the flood's start
    double m_StepsPerSecond = 0;
    FrameIntervals m_Intervals;
    long long m_QueryDrops = 0;
    long long m_GameDrops = 0;
    int m_Browser = 0;               // answers of ten
    int m_BrowserWithPlayers = 0;    // of them
    int m_Fresh = 0;                 // answers of a hundred
    size_t m_Largest = 0;            // the largest datagram sent to the flood's own addresses
    double m_DatagramsPerSecond = 0; // answer datagrams received, all addresses together
    double m_ServerCpu = 0;          // the server's CPU time (all threads) a second of the flood, in cores
};

double IdleSteps(QueryHost& host, double seconds) {
    host.Intervals(true);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const FrameIntervals idle = host.Intervals(true);
    return idle.m_Count / std::chrono::duration<double>(Clock::now() - start).count();
}

// One query and its answer from a source of its own, waiting up to 500 ms; the answer's bytes.
size_t AnswerBytes(QueryLoad& load, uint16_t port, std::string_view query, uint32_t index) {
    size_t bytes = 0;
    load.Send(port, query, index);
    load.Receive(Clock::now() + std::chrono::milliseconds(500),
                 [&](uint32_t from, std::string_view datagram, auto) { bytes += from == index ? datagram.size() : 0; });
    return bytes;
}

// Runs the flood for `seconds` at `port`.
FloodResult RunFlood(QueryHost& host, QueryLoad& load, const Flood& flood, uint16_t port, double seconds,
                     uint32_t freshFirst) {
    FloodResult result;
    uint64_t bytes = 0;
    const long long queryDrops = host.Drops(host.QueryPort());
    const long long gameDrops = host.Drops(host.GamePort());
    host.Intervals(true);
    const uint64_t cpuBefore = CpuNs(host.Server().Pid());
    const auto start = Clock::now();
    Askers askers(port, freshFirst, start);
    uint64_t datagrams = 0;
    auto onDatagram = [&](uint32_t index, std::string_view datagram, Clock::time_point) {
        bytes += datagram.size();
        ++datagrams;
        askers.Take(index, datagram);
        if (index != BROWSER_INDEX && (index < freshFirst || index >= freshFirst + FRESH_ASKS)) {
            result.m_Largest = std::max(result.m_Largest, datagram.size());
        }
    };
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    uint64_t sent = 0;
    for (auto tick = start; tick < end; tick += std::chrono::milliseconds(1)) {
        const double elapsed = std::chrono::duration<double>(tick - start).count();
        while (static_cast<double>(sent) < flood.m_Rate * elapsed) {
            const uint32_t source = flood.m_Source(sent, elapsed);
            if (flood.m_A2s != nullptr) {
                load.SendFrom(port, flood.m_A2s->Query(static_cast<A2sKind>(sent % 3), source), source);
            } else {
                load.SendFrom(port, flood.m_Query, source);
            }
            ++sent;
        }
        askers.Ask(load, tick);
        load.ReceiveWaiting(onDatagram);
        std::this_thread::sleep_until(tick + std::chrono::milliseconds(1));
    }
    result.m_Intervals = host.Intervals(false);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    result.m_ServerCpu = static_cast<double>(CpuNs(host.Server().Pid()) - cpuBefore) / 1e9 / elapsed;
    load.Receive(Clock::now() + std::chrono::milliseconds(300), onDatagram);
    result.m_BytesPerSecond = static_cast<double>(bytes) / elapsed;
    result.m_DatagramsPerSecond = static_cast<double>(datagrams) / elapsed;
    result.m_StepsPerSecond = result.m_Intervals.m_Count / elapsed;
    result.m_QueryDrops = host.Drops(host.QueryPort()) - queryDrops;
    result.m_GameDrops = host.Drops(host.GamePort()) - gameDrops;
    result.m_Browser = askers.Browser();
    result.m_BrowserWithPlayers = askers.BrowserWithPlayers();
    result.m_Fresh = askers.Fresh();
    return result;
}

void Report(const Flood& flood, const char* port, const FloodResult& result, double idleSteps, size_t status) {
    std::printf("%s, on the %s port\n", flood.m_Name.c_str(), port);
    Goal("answer bytes a second, from the start", result.m_BytesPerSecond, "B/s", true,
         BYTE_BUDGET + static_cast<double>(status));
    Goal("steps a second / idle", 100.0 * result.m_StepsPerSecond / idleSteps, "%", false, 97);
    Goal("step interval p99", result.m_Intervals.m_P99, "ms", true, 12);
    Figure("step interval max", result.m_Intervals.m_Max, "ms");
    Figure("answer datagrams a second", result.m_DatagramsPerSecond, "/s");
    Figure("server CPU during the flood", 100.0 * result.m_ServerCpu, "% of a core");
    Goal("datagrams the system dropped, query socket", static_cast<double>(result.m_QueryDrops), "", true, 0);
    Figure("datagrams the system dropped, game socket", static_cast<double>(result.m_GameDrops), "");
    // Every address asking within a second (the flood's, the browser, twenty fresh ones) gets the same
    // bytes a second; a fresh one wants one answer.
    const double share = BYTE_BUDGET / (flood.m_Addresses + 1 + 20) / static_cast<double>(status);
    Goal("fresh addresses answered, of 100", result.m_Fresh, "", false, std::min(1.0, share) * FRESH_ASKS);
    const auto browser = static_cast<double>(result.m_BrowserWithPlayers);
    if (flood.m_BrowserGoal) {
        Goal("the browser's answers with players, of 10", browser, "", false, 9);
    } else {
        Figure("the browser's answers with players, of 10", browser, "");
    }
    Figure("the browser's answers, of 10", result.m_Browser, "");
}

// The browser asks twice, 2.5 s apart: from then on the table protects it.
bool ProtectBrowser(QueryLoad& load, uint16_t port) {
    const bool first = AnswerBytes(load, port, STATUS_QUERY, BROWSER_INDEX) > 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    return first && AnswerBytes(load, port, STATUS_QUERY, BROWSER_INDEX) > 0;
}

// Addresses of 127/8 that fall into the table's first three buckets under dravoserv-bench's key (not those of
// the browser and the fresh addresses).
std::vector<uint32_t> CollisionSet(size_t count) {
    constexpr uint32_t LAST_INDEX = 65535 * 254; // 127.255.255.254
    const dravo::SipHashKey key = FIXED_HASH_KEY;
    const size_t buckets = dravo::AddressTable::BucketCount(dravo::AnswerRateLimiter::MAX_ADDRESSES);
    std::vector<uint32_t> set;
    for (uint32_t index = 0; set.size() < count && index < LAST_INDEX; ++index) {
        const uint32_t address = QueryLoad::SourceAddress(index);
        const bool askers = index >= 8000000 && index <= BROWSER_INDEX;
        if (!askers && dravo::AddressTable::Bucket(key, address, buckets) < 3) {
            set.push_back(address);
        }
    }
    return set;
}

std::vector<Flood> SixteenPlayerFloods() {
    auto from = [](uint32_t first, uint32_t count) {
        return [first, count](uint64_t n, double) { return QueryLoad::SourceAddress(first + n % count); };
    };
    std::vector<Flood> floods;
    floods.push_back(
        {"A. \\status\\, 20,000 a second from 2000 addresses", std::string(STATUS_QUERY), 20000, 2000, from(0, 2000)});
    floods.push_back({"C. \\status\\ from 6000 addresses at one a second each", std::string(STATUS_QUERY), 6000, 6000,
                      from(10000, 6000)});
    floods.push_back({"D. 6000 addresses, each sending two queries back to back", std::string(STATUS_QUERY), 6000, 6000,
                      [](uint64_t n, double) { return QueryLoad::SourceAddress(20000 + (n / 2) % 6000); }, true});
    // Each second s asks from [s * 1500, s * 1500 + 6000): an address asks in four seconds running.
    floods.push_back({"E. 6000 addresses churning, 1500 new ones a second", std::string(STATUS_QUERY), 6000, 6000,
                      [](uint64_t n, double seconds) {
                          const auto second = static_cast<uint32_t>(seconds);
                          return QueryLoad::SourceAddress(30000 + second * 1500 + static_cast<uint32_t>(n % 6000));
                      },
                      true});
    const std::vector<uint32_t> collisions = CollisionSet(7654);
    floods.push_back({"F. 20,000 a second from 7654 addresses of three buckets", std::string(STATUS_QUERY), 20000,
                      static_cast<uint32_t>(collisions.size()),
                      [collisions](uint64_t n, double) { return collisions[n % collisions.size()]; }});
    return floods;
}

// Every address a flood sends from in `seconds` (a little more on each side of a second's turn).
std::vector<uint32_t> Sources(const Flood& flood, double seconds) {
    std::unordered_set<uint32_t> seen;
    const auto total = static_cast<uint64_t>(flood.m_Rate * (seconds + 0.1));
    for (uint64_t n = 0; n < total; ++n) {
        const double at = static_cast<double>(n) / flood.m_Rate;
        seen.insert(flood.m_Source(n, at));
        seen.insert(flood.m_Source(n, at + 0.002));
    }
    return {seen.begin(), seen.end()};
}

// The A2S flood beside the same flood of "\status\" on the query port.
void Compare(const FloodResult& a2s, const FloodResult& gameSpy, size_t status) {
    Goal("bytes a second, of the \\status\\ flood's + 1 answer", a2s.m_BytesPerSecond, "B/s", true,
         gameSpy.m_BytesPerSecond + static_cast<double>(status));
    Figure("the \\status\\ flood's bytes a second", gameSpy.m_BytesPerSecond, "B/s");
    Figure("answer datagrams a second, of the \\status\\ flood's",
           100.0 * a2s.m_DatagramsPerSecond / std::max(1.0, gameSpy.m_DatagramsPerSecond), "%");
    Figure("server CPU, of the \\status\\ flood's", 100.0 * a2s.m_ServerCpu / std::max(1e-9, gameSpy.m_ServerCpu), "%");
    Goal("steps a second, of the \\status\\ flood's", 100.0 * a2s.m_StepsPerSecond / gameSpy.m_StepsPerSecond, "%",
         false, 99);
    Figure("the largest datagram to the flood's addresses", static_cast<double>(a2s.m_Largest), "B");
}

// The A2S flood on the query port, its sources' challenges fetched first (when it has them), then the report.
FloodResult RunA2sFlood(QueryHost& host, QueryLoad& load, Flood flood, A2sChallenges* challenges, double seconds,
                        uint32_t& fresh, double idle, size_t status) {
    if (challenges != nullptr) {
        const std::vector<uint32_t> sources = Sources(flood, seconds);
        challenges->Clear();
        const size_t fetched = challenges->Fetch(load, host.QueryPort(), sources);
        std::printf("(challenges fetched for %zu of %zu addresses)\n", fetched, sources.size());
        flood.m_A2s = challenges;
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const FloodResult result = RunFlood(host, load, flood, host.QueryPort(), seconds, fresh);
    fresh += FRESH_ASKS;
    Report(flood, "query", result, idle, status);
    return result;
}

// The floods of `gameSpy` again in A2S, and the spoofed info flood; `byStatus` holds the query port's results of
// the "\status\" floods.
void RunA2sFloods(QueryHost& host, QueryLoad& load, double seconds, const std::vector<Flood>& gameSpy,
                  const std::vector<FloodResult>& byStatus, uint32_t& fresh, double idle, size_t status) {
    A2sChallenges challenges;
    for (size_t i = 0; i < gameSpy.size(); ++i) {
        Flood flood = gameSpy[i];
        flood.m_Name = "A2S " + flood.m_Name + ", info, players and rules in turn, with their challenges";
        Compare(RunA2sFlood(host, load, flood, &challenges, seconds, fresh, idle, status), byStatus[i], status);
    }
    const Flood spoofed{"G. A2S info never carrying its challenge (spoofed), 20,000 a second from 2000 addresses",
                        A2sQuery(A2sKind::Info, std::nullopt), 20000, 2000,
                        [](uint64_t n, double) { return QueryLoad::SourceAddress(60000 + n % 2000); }};
    const FloodResult result = RunA2sFlood(host, load, spoofed, nullptr, seconds, fresh, idle, status);
    Compare(result, byStatus[0], status);
    Goal("its largest datagram", static_cast<double>(result.m_Largest), "B", true, 9);
}

// `spoofedOnly`: flood A on the query port and the spoofed A2S flood beside it, nothing else (a short run to
// look at the spoofed flood's cost).
int RunSixteen(QueryLoad& load, double seconds, bool spoofedOnly) {
    QueryHost host(16);
    if (!host.Ready()) {
        std::fprintf(stderr, "%s\n", host.Failure().c_str());
        return 1;
    }
    if (!ProtectBrowser(load, host.QueryPort())) {
        std::fprintf(stderr, "the browser was not answered before the floods\n");
        return 1;
    }
    const double idle = IdleSteps(host, seconds);
    const size_t status = AnswerBytes(load, host.QueryPort(), STATUS_QUERY, 7999999);
    std::printf("16 players: idle %.1f steps a second, a status answer of %zu bytes\n", idle, status);
    uint32_t fresh = 8000000;
    std::vector<Flood> floods = SixteenPlayerFloods();
    if (spoofedOnly) {
        floods.resize(1);
    }
    std::vector<FloodResult> onQueryPort;
    for (const Flood& flood : floods) {
        for (const bool gamePort : {false, true}) {
            if (gamePort && spoofedOnly) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::seconds(3)); // the flood before is out of every window
            const uint16_t port = gamePort ? host.GamePort() : host.QueryPort();
            const FloodResult result = RunFlood(host, load, flood, port, seconds, fresh);
            fresh += FRESH_ASKS;
            Report(flood, gamePort ? "game" : "query", result, idle, status);
            if (!gamePort) {
                onQueryPort.push_back(result);
            }
        }
    }
    RunA2sFloods(host, load, seconds, spoofedOnly ? std::vector<Flood>{} : floods, onQueryPort, fresh, idle, status);
    return 0;
}

// With 128 players: "\status\" and the A2S requests, 300 a second from 300 addresses, on the query port; then
// the largest answer one A2S request with its challenge brings.
void A2sAtHundredTwentyEight(QueryHost& host, QueryLoad& load, double seconds, uint32_t& fresh, double idle,
                             size_t status) {
    const Flood flood{"H. \\status\\, 300 a second from 300 addresses", std::string(STATUS_QUERY), 300, 300,
                      [](uint64_t n, double) { return QueryLoad::SourceAddress(51000 + n % 300); }};
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const FloodResult byStatus = RunFlood(host, load, flood, host.QueryPort(), seconds, fresh);
    fresh += FRESH_ASKS;
    Report(flood, "query", byStatus, idle, status);
    RunA2sFloods(host, load, seconds, {flood}, {byStatus}, fresh, idle, status);
    A2sChallenges challenges;
    const uint32_t asker = fresh;
    challenges.Fetch(load, host.QueryPort(), {QueryLoad::SourceAddress(asker)}, 100);
    std::printf("The largest answer to one A2S request with its challenge\n");
    size_t largest = 0;
    for (const A2sKind kind : {A2sKind::Info, A2sKind::Players, A2sKind::Rules}) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1100)); // within the address's allowance
        largest = std::max(largest, AnswerBytes(load, host.QueryPort(),
                                                challenges.Query(kind, QueryLoad::SourceAddress(asker)), asker));
    }
    Goal("its answer / one status answer", static_cast<double>(largest) / static_cast<double>(status), "x", true, 1.0);
    Figure("its answer / its 9-byte request", static_cast<double>(largest) / 9.0, "x");
}

int RunHundredTwentyEight(QueryLoad& load, double seconds) {
    // Names of 60 characters: "PPP...P1" to "PPP...P128".
    QueryHost host(128, {{"MaxPlayers", "128"}}, {"--prefix", std::string(57, 'P')});
    if (!host.Ready()) {
        std::fprintf(stderr, "%s\n", host.Failure().c_str());
        return 1;
    }
    if (!ProtectBrowser(load, host.QueryPort())) {
        std::fprintf(stderr, "the browser was not answered before the floods\n");
        return 1;
    }
    const double idle = IdleSteps(host, seconds);
    std::string repeated;
    while (repeated.size() + 7 <= 1023) {
        repeated += "\\status";
    }
    const size_t status = AnswerBytes(load, host.QueryPort(), STATUS_QUERY, 8100000);
    const size_t worst = AnswerBytes(load, host.QueryPort(), repeated.substr(0, 500), 8100001);
    std::printf("128 players: idle %.1f steps a second, a status answer of %zu bytes\n", idle, status);
    const Flood flood{"B. repeated status, 1023 bytes, 300 a second from 300 addresses", repeated, 300, 300,
                      [](uint64_t n, double) { return QueryLoad::SourceAddress(50000 + n % 300); }};
    uint32_t fresh = 8100002;
    for (const bool gamePort : {false, true}) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const uint16_t port = gamePort ? host.GamePort() : host.QueryPort();
        const FloodResult result = RunFlood(host, load, flood, port, seconds, fresh);
        fresh += FRESH_ASKS;
        Report(flood, gamePort ? "game" : "query", result, idle, status);
    }
    std::printf("The worst single datagram (500 bytes of repeated status on the query port)\n");
    Goal("its answer / one status answer", static_cast<double>(worst) / static_cast<double>(status), "x", true, 1.0);
    Figure("a status answer / the 8-byte query", static_cast<double>(status) / 8.0, "x");
    A2sAtHundredTwentyEight(host, load, seconds, fresh, idle, status);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 8);
    QueryLoad load;
    const bool spoofedOnly = NumberOption(argc, argv, "--spoofed-only", 0) != 0;
    if (RunSixteen(load, seconds, spoofedOnly) != 0) {
        return 1;
    }
    return spoofedOnly ? 0 : RunHundredTwentyEight(load, seconds);
}
