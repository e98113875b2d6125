// dravo-bot: joins simulated players to a game port over UDP, keeps them alive and lets them leave.
//
// Every player has its own socket. The program ends by itself after the
// duration (or on SIGINT / SIGTERM), each joined player leaving first, and
// exits 0; 2 means the command line or the host was refused, 1 that the
// sockets could not be opened. Only loopback hosts are accepted unless
// --allow-remote is given.
#include "BotOptions.h"
#include "BotPlayer.h"
#include "GameSocket.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

namespace {

using dravo::bot::BotOptions;
using dravo::bot::BotPlayer;

// Set by the signal handler; lock-free, so safe to touch there.
std::atomic<int> g_StopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnStopSignal(int signal) {
    g_StopSignal.store(signal);
}

uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

// A wait is never longer than a quarter second, so a signal is acted on within that.
void InstallStopHandlers() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

bool IsLoopback(uint32_t address) {
    return (address >> 24) == 127;
}

// Waits for the players' sockets until `deadline` at the latest.
void WaitForDatagrams(const std::vector<const dravo::ref::GameSocket*>& sockets, uint64_t now, uint64_t deadline) {
    constexpr uint64_t LONGEST_WAIT_MS = 250;
    const uint64_t wait = std::min(deadline > now ? deadline - now : 0, LONGEST_WAIT_MS);
    dravo::ref::GameSocket::WaitForAny(sockets, std::chrono::milliseconds(wait));
}

// Joins the players to the game at `server` and keeps them alive until the duration ends or a signal
// comes; the exit status.
int Play(const BotOptions& options, uint32_t server) {
    InstallStopHandlers();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const bool quiet = options.m_Quiet;
    auto report = [quiet](const std::string& line) {
        if (!quiet) {
            std::printf("%s\n", line.c_str());
        }
    };
    std::mt19937 seeds(options.m_Seed.value_or(std::random_device{}()));
    std::string error;
    std::vector<BotPlayer> players;
    std::vector<const dravo::ref::GameSocket*> sockets;
    players.reserve(options.m_Names.size());
    for (const std::string& name : options.m_Names) {
        players.emplace_back(name, options.m_ChurnSeconds, static_cast<uint32_t>(seeds()), report);
        if (!players.back().Open(server, options.m_Port, error)) {
            std::fprintf(stderr, "dravo-bot: %s: %s\n", name.c_str(), error.c_str());
            return 1;
        }
        sockets.push_back(players.back().Socket());
    }

    const uint64_t end = NowMs() + static_cast<uint64_t>(options.m_DurationSeconds * 1000.0);
    for (uint64_t now = NowMs(); now < end && g_StopSignal.load() == 0; now = NowMs()) {
        uint64_t next = end;
        for (BotPlayer& player : players) {
            next = std::min(next, player.Tick(now));
        }
        WaitForDatagrams(sockets, NowMs(), next);
        now = NowMs();
        for (BotPlayer& player : players) {
            player.Receive(now); // reads what is waiting, without waiting
        }
    }
    for (BotPlayer& player : players) {
        player.Leave();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::printf("%s", BotOptions::Usage());
            return 0;
        }
    }
    std::string error;
    const std::optional<BotOptions> options = BotOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const std::optional<uint32_t> server = dravo::ref::GameSocket::Resolve(options->m_Host.c_str());
    if (!server) {
        std::fprintf(stderr, "dravo-bot: cannot find the IPv4 address of %s\n", options->m_Host.c_str());
        return 2;
    }
    if (!IsLoopback(*server) && !options->m_AllowRemote) {
        std::fprintf(stderr, "dravo-bot: %s is not a loopback address; give --allow-remote to play elsewhere\n",
                     options->m_Host.c_str());
        return 2;
    }
    return Play(*options, *server);
}
