// Remote operation: what the remote console and the metrics endpoint cost the game.
//   - a scrape: the snapshot of the session's counters (all a scrape takes from the game; no UpdateLock),
//     and the whole page built from it, in microseconds;
//   - remote console commands a second ("status", answered with its console lines), over one
//     connection and over four at once, against a running dravoserv;
//   - update steps a second of two servers side by side over --seconds (20): one with both the remote
//     console and the metrics on and idle, one with both off. Goal: within 1%.
#include "host/SessionCounters.h"
#include "metrics/MetricsPage.h"
#include "platform/TcpListener.h"
#include "remote/RconPacket.h"
#include "support/BenchGame.h"
#include "support/Figures.h"

#include <cstdlib>
#include <thread>
#include <vector>

using namespace dravo;
using namespace dravo::bench;

namespace {

constexpr const char* PASSWORD = "bench-password";

void ScrapeCost() {
    SessionCounters counters;
    counters.HostingStarted(0, 16, "Worlds\\Multi\\Cinderworks");
    for (uint32_t i = 0; i < 1000; ++i) {
        counters.CountStep(9 + i % 3);
    }
    constexpr int ROUNDS = 20000;
    size_t bytes = 0;
    auto start = Clock::now();
    for (int i = 0; i < ROUNDS; ++i) {
        bytes += counters.Snapshot(static_cast<uint32_t>(i)).m_Steps;
    }
    const double snapshotUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / ROUNDS;
    start = Clock::now();
    for (int i = 0; i < ROUNDS / 10; ++i) {
        bytes += BuildMetricsPage(counters.Snapshot(static_cast<uint32_t>(i)), "2.1").size();
    }
    const double pageUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / (ROUNDS / 10);
    std::printf("Scrape (%zu)\n", bytes % 10);
    Goal("UpdateLock held by a scrape", 0.0, "us", true, 50.0);
    Figure("counters' snapshot (lock-free atomics)", snapshotUs, "us");
    Figure("whole page from a snapshot", pageUs, "us");
}

// One logged-in connection that runs commands one after another.
class Commander {
public:
    explicit Commander(uint16_t port) {
        if (auto stream = TcpStream::ConnectBlocking(0x7F000001, port)) {
            m_Stream = std::move(*stream);
        }
        m_Ok = Exchange(EncodeRconPacket(1, RconType::Login, PASSWORD), 1);
    }
    bool Ok() const { return m_Ok; }
    // Runs a command and reads its answer (one packet); false when it failed.
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

double CommandsPerSecond(uint16_t port, int connections, double seconds) {
    std::atomic<uint64_t> done{0};
    std::atomic<bool> failed{false};
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int i = 0; i < connections; ++i) {
        threads.emplace_back([&] {
            Commander commander(port);
            while (commander.Ok() && Clock::now() < end) {
                if (!commander.Run("status")) {
                    failed = true;
                    return;
                }
                ++done;
            }
            failed = failed || !commander.Ok();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (failed) {
        std::fprintf(stderr, "a remote console command failed\n");
    }
    return static_cast<double>(done) / std::chrono::duration<double>(Clock::now() - start).count();
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

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 20);
    ScrapeCost();

    BenchGame onGame;
    BenchGame offGame;
    if (!onGame.Configure({{"RconPassword", PASSWORD}, {"RconReplyWait", "0"}, {"MetricsPort", "0"}})) {
        return 1;
    }
    auto on = onGame.Host();
    auto off = offGame.Host();
    if (!on || !off) {
        return 1;
    }
    const uint16_t port = onGame.GamePort();
    if (!on->WaitForLine("Remote console listening on TCP", std::chrono::seconds(10))) {
        Complain("the remote console did not start", *on);
        return 1;
    }
    std::printf("\nRemote console, \"status\" with RconReplyWait 0\n");
    Figure("commands a second, one connection", CommandsPerSecond(port, 1, 3), "/s");
    Figure("commands a second, four connections", CommandsPerSecond(port, 4, 3), "/s");

    // Metrics on too, for the idle comparison: a second start with a metrics port.
    on->WriteLine("/shutdown");
    on->Wait(std::chrono::seconds(10));
    std::string error;
    auto probe = TcpListener::Open(0x7F000001, 0, error);
    const uint16_t metricsPort = probe ? probe->Port() : 0;
    probe.reset();
    if (!onGame.Configure({{"MetricsPort", std::to_string(metricsPort)}})) {
        return 1;
    }
    on = onGame.Host();
    if (!on || !on->WaitForLine("Metrics at http://", std::chrono::seconds(10))) {
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1)); // start-up settles
    (void)Intervals(*on);
    (void)Intervals(*off);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const auto onSteps = Intervals(*on);
    const auto offSteps = Intervals(*off);
    if (!onSteps || !offSteps || *offSteps == 0) {
        std::fprintf(stderr, "no frame intervals\n");
        return 1;
    }
    std::printf("\nUpdate steps over %.0f s, side by side\n", seconds);
    Figure("both on and idle", static_cast<double>(*onSteps) / seconds, "steps/s");
    Figure("both off", static_cast<double>(*offSteps) / seconds, "steps/s");
    Goal("difference",
         100.0 * std::abs(static_cast<double>(*onSteps) - static_cast<double>(*offSteps)) /
             static_cast<double>(*offSteps),
         "%", true, 1.0);
    on->WriteLine("/shutdown");
    off->WriteLine("/shutdown");
    on->Wait(std::chrono::seconds(10));
    off->Wait(std::chrono::seconds(10));
    return 0;
}
