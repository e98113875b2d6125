// Remote operation: what the remote console and the metrics endpoint cost the game.
//   - a scrape: the reading of the session's facts and counters (all a scrape takes from the game: the
//     facts' own small lock, never UpdateLock), and the whole page built from it, in microseconds;
//   - remote console commands a second ("status", answered with its console lines), over one connection,
//     four from one address and eight from eight addresses, against a running dravoserv;
//   - update steps a second of two servers side by side, each phase over --seconds (10): one with both
//     the remote console and the metrics on, one with both off. Phases: both idle; a flood of connections
//     far beyond the limits; slow clients that trickle a byte a second and a logged-in one that sends
//     commands and never reads its answers. Goal: within 1% in each.
#include "host/state/SessionCounters.h"
#include "host/state/SessionFacts.h"
#include "platform/net/TcpListener.h"
#include "services/metrics/MetricsPage.h"
#include "services/rcon/RconPacket.h"
#include "support/BenchGame.h"
#include "support/Figures.h"
#include "support/TestSockets.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace dravo;
using namespace dravo::bench;

namespace {

constexpr const char* PASSWORD = "bench-password";
constexpr uint32_t LOOPBACK = 0x7F000001;

// A client's connection to the loopback server, from `from`; empty when it could not be made.
std::optional<TcpStream> Connect(uint16_t port, uint32_t from) {
    const test::sockets::Socket socket = test::sockets::ConnectFrom(port, from);
    if (socket == test::sockets::NO_SOCKET) {
        return std::nullopt;
    }
    return TcpStream(socket);
}

void ScrapeCost() {
    SessionFacts facts;
    SessionCounters counters;
    facts.HostingStarted(HostedGame{16, "dravo", {"Worlds\\Multi\\Cinderworks"}, "Worlds\\Multi\\Cinderworks", 0});
    std::vector<RosterPlayer> players;
    for (uint32_t i = 0; i < 16; ++i) {
        players.push_back({i + 1, "Player" + std::to_string(i), 0, 30, 0});
    }
    facts.SetPlayers(players, 0);
    for (uint32_t i = 0; i < 1000; ++i) {
        facts.CountStep();
        counters.CountStepInterval(9 + i % 3);
    }
    constexpr int ROUNDS = 20000;
    size_t sum = 0;
    auto start = Clock::now();
    for (int i = 0; i < ROUNDS; ++i) {
        sum += facts.Snapshot().m_Players.size();
    }
    const double factsUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / ROUNDS;
    start = Clock::now();
    for (int i = 0; i < ROUNDS; ++i) {
        sum += ReadMetrics(facts, counters, static_cast<uint32_t>(i)).m_Steps;
    }
    const double readingUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / ROUNDS;
    start = Clock::now();
    for (int i = 0; i < ROUNDS / 10; ++i) {
        sum += BuildMetricsPage(ReadMetrics(facts, counters, static_cast<uint32_t>(i)), "2.1").size();
    }
    const double pageUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / (ROUNDS / 10);
    std::printf("Scrape, 16 players (%zu)\n", sum % 10);
    Goal("UpdateLock held by a scrape", 0.0, "us", true, 50.0);
    Figure("facts' own lock held (a copy of the facts)", factsUs, "us");
    Figure("whole reading (facts and counters)", readingUs, "us");
    Figure("whole page from a reading", pageUs, "us");
}

// One connection that logs in and runs commands one after another, reading each answer (one packet).
class Commander {
public:
    Commander(uint16_t port, uint32_t from) {
        if (auto stream = Connect(port, from)) {
            m_Stream = std::move(*stream);
        }
        m_Ok = Exchange(EncodeRconPacket(1, RconType::Login, PASSWORD), 1);
    }
    bool Ok() const { return m_Ok; }
    // Runs a command and reads its answer; false when it failed.
    bool Run(const char* command) { return Exchange(EncodeRconPacket(2, RconType::Command, command), 2); }

private:
    bool Exchange(const std::string& request, int32_t id) {
        if (!m_Stream.IsOpen()) {
            return false;
        }
        std::string_view left = request;
        while (!left.empty()) {
            const auto io = m_Stream.Write(left);
            if (io.m_Status == TcpStream::Status::Done) {
                left.remove_prefix(io.m_Bytes);
            } else if (io.m_Status != TcpStream::Status::WouldBlock) {
                return false;
            }
        }
        for (;;) {
            if (auto packet = m_Reader.Next()) {
                return packet->m_Id == id;
            }
            PollEntry entry{m_Stream.Handle(), true};
            if (PollSockets({&entry, 1}, 5000) <= 0) {
                return false;
            }
            char buffer[8192];
            const auto io = m_Stream.Read(buffer);
            if (io.m_Status == TcpStream::Status::Done) {
                if (!m_Reader.Feed({buffer, io.m_Bytes})) {
                    return false;
                }
            } else if (io.m_Status != TcpStream::Status::WouldBlock) {
                return false;
            }
        }
    }

    TcpStream m_Stream;
    RconPacketReader m_Reader;
    bool m_Ok = false;
};

// Commands a second over `connections` at once, `perAddress` of them from each loopback address (from
// 127.0.0.2 up). Says how many connections could not log in or failed on the way.
double CommandsPerSecond(uint16_t port, int connections, int perAddress, double seconds) {
    std::atomic<uint64_t> done{0};
    std::atomic<int> failed{0};
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int i = 0; i < connections; ++i) {
        threads.emplace_back([&, from = LOOPBACK + 1 + static_cast<uint32_t>(i / perAddress)] {
            Commander commander(port, from);
            bool ok = commander.Ok();
            while (ok && Clock::now() < end) {
                ok = commander.Run("status");
                done += ok ? 1 : 0;
            }
            failed += ok ? 0 : 1;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (failed > 0) {
        std::printf("  %d of %d connections failed\n", failed.load(), connections);
    }
    return static_cast<double>(done) / std::chrono::duration<double>(Clock::now() - start).count();
}

// The median time from sending "status" to its whole answer, over `count` commands on one connection.
double MedianStatusMs(uint16_t port, int count) {
    Commander commander(port, LOOPBACK + 1);
    std::vector<double> times;
    for (int i = 0; i < count && commander.Ok(); ++i) {
        const auto sent = Clock::now();
        if (!commander.Run("status")) {
            break;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    }
    if (times.size() != static_cast<size_t>(count)) {
        std::printf("  only %zu of %d commands were answered\n", times.size(), count);
        return -1;
    }
    std::nth_element(times.begin(), times.begin() + count / 2, times.end());
    return times[static_cast<size_t>(count / 2)];
}

// The steps counted by the engine's frame intervals since the last reset.
std::optional<uint64_t> Intervals(LiveProcess& server) {
    const size_t from = server.LineCount();
    server.WriteLine("frameintervals reset");
    const auto line = server.WaitForLine("frameintervals: ", std::chrono::seconds(10), from);
    if (!line) {
        return std::nullopt;
    }
    return std::strtoull(line->m_Text.c_str() + line->m_Text.find(": ") + 2, nullptr, 10);
}

// Connections opened and dropped as fast as one thread can, 1,000 at a time from 250 addresses: far
// beyond the limits, so nearly all are turned away at once.
void Flood(uint16_t port, const std::atomic<bool>& stop) {
    std::vector<TcpStream> open;
    while (!stop) {
        for (uint32_t i = 0; i < 1000 && !stop; ++i) {
            if (auto stream = Connect(port, LOOPBACK + 1 + i / 4)) {
                open.push_back(std::move(*stream));
            }
        }
        open.clear();
    }
}

// Slow clients: the most connections allowed, from four addresses, each trickling its login a byte a
// second (they are closed at the login timeout and come back), and a logged-in client that sends
// commands with long answers and never reads (closed when its answers fill what may wait for it).
void SlowClients(uint16_t port, const std::atomic<bool>& stop) {
    const std::string login = EncodeRconPacket(1, RconType::Login, PASSWORD);
    const std::string command = EncodeRconPacket(2, RconType::Command, "cvarlist");
    std::vector<TcpStream> trickling;
    std::optional<TcpStream> deaf;
    auto nextByte = Clock::now();
    while (!stop) {
        if (!deaf || deaf->Write(command).m_Status == TcpStream::Status::Failed) {
            deaf = Connect(port, LOOPBACK + 10);
            if (deaf) {
                (void)deaf->Write(login);
            }
        }
        if (Clock::now() >= nextByte) {
            nextByte += std::chrono::seconds(1);
            for (TcpStream& stream : trickling) {
                (void)stream.Write(std::string_view(login).substr(0, 1)); // the first byte, again and again
            }
            std::erase_if(trickling, [](TcpStream& stream) {
                char byte = 0;
                const auto status = stream.Read({&byte, 1}).m_Status;
                return status == TcpStream::Status::Closed || status == TcpStream::Status::Failed;
            });
            for (uint32_t i = static_cast<uint32_t>(trickling.size()); i < 15; ++i) {
                if (auto stream = Connect(port, LOOPBACK + 1 + i / 4)) {
                    trickling.push_back(std::move(*stream));
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Steps of both servers over `seconds` while `load` runs (nothing when empty).
bool StepPhase(const char* name, LiveProcess& on, LiveProcess& off, double seconds,
               const std::function<void(const std::atomic<bool>&)>& load) {
    std::atomic<bool> stop{false};
    std::thread loader;
    if (load) {
        loader = std::thread([&] { load(stop); });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the load gets going
    (void)Intervals(on);
    (void)Intervals(off);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const auto onSteps = Intervals(on);
    const auto offSteps = Intervals(off);
    stop = true;
    if (loader.joinable()) {
        loader.join();
    }
    if (!onSteps || !offSteps || *offSteps == 0) {
        std::fprintf(stderr, "no frame intervals\n");
        return false;
    }
    const double onRate = static_cast<double>(*onSteps) / seconds;
    const double offRate = static_cast<double>(*offSteps) / seconds;
    std::printf("\nUpdate steps over %.0f s, side by side: %s\n", seconds, name);
    Figure("both on", onRate, "steps/s");
    Figure("both off", offRate, "steps/s");
    Goal("difference", 100.0 * std::abs(onRate - offRate) / offRate, "%", true, 1.0);
    return true;
}

std::unique_ptr<LiveProcess> HostConsole(BenchGame& game, const std::map<std::string, std::string>& values,
                                         const char* ready) {
    if (!game.Configure(values)) {
        return nullptr;
    }
    auto server = game.Host();
    if (server && !server->WaitForLine(ready, std::chrono::seconds(10))) {
        Complain(std::string("no \"") + ready + "\"", *server);
        return nullptr;
    }
    return server;
}

void Stop(std::unique_ptr<LiveProcess>& server) {
    server->WriteLine("/shutdown");
    server->Wait(std::chrono::seconds(10));
    server.reset();
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 10);
    ScrapeCost();

    BenchGame onGame;
    BenchGame offGame;
    auto on =
        HostConsole(onGame, {{"RconPassword", PASSWORD}, {"MetricsPort", "0"}}, "Remote console listening on TCP");
    if (!on) {
        return 1;
    }
    const uint16_t port = onGame.GamePort();
    std::printf("\nRemote console, \"status\" (answered as soon as it has run)\n");
    Figure("time to a whole answer, median of 50", MedianStatusMs(port, 50), "ms");
    Figure("commands a second, one connection", CommandsPerSecond(port, 1, 1, 3), "/s");
    Figure("commands a second, four from one address", CommandsPerSecond(port, 4, 4, 3), "/s");
    Figure("commands a second, eight from eight addresses", CommandsPerSecond(port, 8, 1, 3), "/s");
    Stop(on);

    // Metrics on too.
    std::string error;
    auto probe = TcpListener::Open(LOOPBACK, 0, error);
    const uint16_t metricsPort = probe ? probe->Port() : 0;
    probe.reset();
    on = HostConsole(onGame, {{"MetricsPort", std::to_string(metricsPort)}}, "Metrics at http://");
    auto off = offGame.Host();
    if (!on || !off) {
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1)); // start-up settles
    const bool measured = StepPhase("both idle", *on, *off, seconds, {}) &&
                          StepPhase("a flood of connections", *on, *off, seconds,
                                    [port](const std::atomic<bool>& stop) { Flood(port, stop); }) &&
                          StepPhase("slow and deaf clients", *on, *off, seconds,
                                    [port](const std::atomic<bool>& stop) { SlowClients(port, stop); });
    Stop(on);
    Stop(off);
    return measured ? 0 : 1;
}
