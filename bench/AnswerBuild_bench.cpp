// Instructions to build one "\status\" answer with 16 and with 128 players,
// counted by callgrind (stable where time is not). The program re-runs itself
// under valgrind for each size; only the second of two identical answers is
// counted, so one-off start-up work is left out: the second comes from the pairs
// the first left ready. The answer goes from the game-port query's queue through
// the step that answers it (with a look at the empty query port), the tokenizer,
// the limits, the report hooks and the packet builder to a send hook that drops
// the datagrams. Beside it, the answer right after the game changed
// (the pairs written again), as a figure.
// Goals: at most 5,000 instructions for 16 and for 128 players.
// The same for each A2S request (info, players, rules) with its challenge, which the querier fetched before:
// at most 5,000 instructions too, and no more than the "\status\" answer with as many players.
#include "net/query/SendHook.h"
#include "net/query/ServerStatusReporter.h"
#include "support/A2sQueries.h"
#include "support/Figures.h"
#include "support/TableStatus.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace dravo;
using namespace dravo::bench;

namespace {

class DroppingHook final : public SendHook {
public:
    bool SendDatagram(const char* data, size_t length, const NetPeer&) override {
        m_Bytes += length;
        ++m_Datagrams;
        m_Last.assign(data, length);
        return true;
    }
    size_t m_Bytes = 0;
    int m_Datagrams = 0;
    std::string m_Last;
};

class StillClock final : public IClock {
public:
    uint32_t NowMs() const override { return 1000; }
    void SleepMs(uint32_t) override {}
};

// The query counted: "\status\" or one A2S request.
enum class Asked { Status, A2sInfo, A2sPlayers, A2sRules };

// The query of `asked` from `browser`; an A2S one carries the challenge the reporter gives the browser.
std::string QueryOf(Asked asked, ServerStatusReporter& reporter, DroppingHook& hook, const NetPeer& browser) {
    if (asked == Asked::Status) {
        return "\\status\\";
    }
    const std::string ask = A2sQuery(A2sKind::Players, std::nullopt);
    reporter.HandleExternalQuery(browser, ask.data(), ask.size());
    reporter.Process();
    const std::optional<uint32_t> challenge = A2sChallengeOf(hook.m_Last);
    const auto kind = asked == Asked::A2sInfo      ? A2sKind::Info
                      : asked == Asked::A2sPlayers ? A2sKind::Players
                                                   : A2sKind::Rules;
    return A2sQuery(kind, challenge.value_or(0));
}

// Builds the answers with `players` players; under callgrind only the second one is counted, after a
// change of the game when `changed`.
int BuildAnswers(Asked asked, int players, bool changed) {
    StillClock clock;
    HostInfo host{};
    GameInfo game{};
    GameOptions options{};
    test::TableStatus status;
    std::strcpy(host.m_ServerName, "Dravo Sample Server");
    host.m_MaxPlayers = 128;
    game.m_EndType = END_AFTER_FRAGS_OR_TIME;
    game.m_EndFrags = 25;
    game.m_EndTime = 10;
    for (int i = 0; i < players; ++i) {
        status.Add("Bot" + std::to_string(i + 1), (i * 7) % 31, 20 + i % 80);
    }
    BlockingPool pool;
    ServerStatusReporter reporter(clock, pool, StatusSources{host, game, options, status});
    QueryReporterOptions reporterOptions;
    reporterOptions.m_MasterHostPattern = "127.0.0.1";
    reporterOptions.m_Limits.m_Burst = 0;
    reporterOptions.m_Limits.m_GlobalPerSecond = 0;
    reporterOptions.m_Limits.m_GlobalBytesPerSecond = 0;
    reporter.SetOptions(reporterOptions);
    if (!reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 0, 27888, 0, 1)) {
        std::fprintf(stderr, "cannot start the reporter\n");
        return 1;
    }
    DroppingHook hook;
    reporter.SetSendHook(&hook);
    const NetPeer browser{0x7F000002, 27901};
    const std::string query = QueryOf(asked, reporter, hook, browser);
    reporter.HandleExternalQuery(browser, query.data(), query.size());
    reporter.Process(); // the heartbeat, and the first answer
    hook = DroppingHook{};
    if (changed) {
        status.SetLevel(status.CurrentLevel()); // what the answers show may have changed
    }
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    reporter.HandleExternalQuery(browser, query.data(), query.size());
    reporter.Process();
    CALLGRIND_TOGGLE_COLLECT;
    std::printf("answer: %d datagrams, %zu bytes\n", hook.m_Datagrams, hook.m_Bytes);
    reporter.Shutdown();
    return asked == Asked::Status || IsA2sAnswer(hook.m_Last) ? 0 : 1; // an A2S request must bring its answer
}

// How this program is asked to build one kind of answer under callgrind.
constexpr struct {
    const char* m_Option;
    Asked m_Asked;
    bool m_Changed;
    const char* m_Name;
} MODES[] = {{"--players", Asked::Status, false, "\\status\\"},
             {"--changed", Asked::Status, true, "\\status\\"},
             {"--a2s-info", Asked::A2sInfo, false, "A2S info"},
             {"--a2s-players", Asked::A2sPlayers, false, "A2S players"},
             {"--a2s-rules", Asked::A2sRules, false, "A2S rules"}};

// Runs this program under callgrind for one size; the instructions counted, or -1.
long long Count(int players, const char* mode, std::string& answer) {
    const std::string out = "/tmp/dravo-callgrind-" + std::to_string(getpid()) + "-" + std::to_string(players);
    const std::string command = "valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file=" + out +
                                " /proc/" + std::to_string(getpid()) + "/exe " + mode + " " + std::to_string(players) +
                                " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        answer += line;
    }
    if (pclose(pipe) != 0) {
        return -1;
    }
    long long total = -1;
    std::ifstream in(out);
    for (std::string text; std::getline(in, text);) {
        if (text.rfind("summary:", 0) == 0 || text.rfind("totals:", 0) == 0) {
            total = std::atoll(text.c_str() + text.find(':') + 1);
        }
    }
    std::remove(out.c_str());
    return total;
}

// Each A2S request with `players` players, beside the "\status\" answer's `status` instructions.
int CountA2s(int players, long long status) {
    for (const auto& mode : MODES) {
        if (mode.m_Asked == Asked::Status) {
            continue;
        }
        std::string answer;
        const long long instructions = Count(players, mode.m_Option, answer);
        if (instructions < 0) {
            std::fprintf(stderr, "callgrind failed, or no %s answer\n%s", mode.m_Name, answer.c_str());
            return 1;
        }
        const std::string name = std::to_string(players) + " players, " + mode.m_Name;
        Goal(name, static_cast<double>(instructions), "instr", true, 5000);
        Goal(name + ", of \\status\\", 100.0 * static_cast<double>(instructions) / static_cast<double>(status), "%",
             true, 100);
        Note(answer.substr(0, answer.find('\n')));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    for (const auto& mode : MODES) {
        if (argc == 3 && std::strcmp(argv[1], mode.m_Option) == 0) {
            return BuildAnswers(mode.m_Asked, std::atoi(argv[2]), mode.m_Changed);
        }
    }
    std::printf("Instructions to build one \\status\\ answer (callgrind)\n");
    const struct {
        int m_Players;
        double m_Goal;
    } cases[] = {{16, 5000}, {128, 5000}};
    for (const auto& one : cases) {
        std::string answer;
        std::string unused;
        const long long instructions = Count(one.m_Players, "--players", answer);
        const long long afterChange = Count(one.m_Players, "--changed", unused);
        if (instructions < 0 || afterChange < 0) {
            std::fprintf(stderr, "callgrind failed (is valgrind installed?)\n%s", answer.c_str());
            return 1;
        }
        Goal(std::to_string(one.m_Players) + " players", static_cast<double>(instructions), "instr", true, one.m_Goal);
        Figure(std::to_string(one.m_Players) + " players, right after a change", static_cast<double>(afterChange),
               "instr");
        Note(answer.substr(0, answer.find('\n')));
        if (CountA2s(one.m_Players, instructions) != 0) {
            return 1;
        }
    }
    return 0;
}
