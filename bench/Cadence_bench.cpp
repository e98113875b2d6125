// Cadence: how regularly the worker drives the engine's frames, read from the
// engine's own "frameintervals" command typed on the headless face's input.
// An idle hosted server in a copy of the sample game, over --seconds (30).
// Goals: at least 103 steps a second, p50 <= 9.3 ms, p99 <= 11 ms, max <= 25 ms.
#include "support/BenchGame.h"
#include "support/Figures.h"
#include "support/FrameIntervals.h"

#include <cstdio>
#include <thread>

using namespace dravo::bench;

namespace {} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 30);
    BenchGame game;
    const auto hosted = game.Host();
    if (!hosted) {
        return 1;
    }
    LiveProcess& server = *hosted;
    // Let start-up settle, then count from a clean slate.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    size_t from = server.LineCount();
    server.WriteLine("frameintervals reset");
    if (!server.WaitForLine("frameintervals:", std::chrono::seconds(5), from)) {
        Complain("no frameintervals answer", server);
        return 1;
    }
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    from = server.LineCount();
    server.WriteLine("frameintervals");
    const auto answer = server.WaitForLine("frameintervals:", std::chrono::seconds(5), from);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    FrameIntervals intervals;
    if (!answer || !ParseFrameIntervals(answer->m_Text, intervals)) {
        Complain("no frameintervals answer", server);
        return 1;
    }
    server.WriteLine("/shutdown");
    server.Wait(std::chrono::seconds(10));

    std::printf("Cadence of an idle hosted server over %.0f s (%s)\n", elapsed, answer->m_Text.c_str());
    Goal("idle steps per second", intervals.m_Count / elapsed, "steps/s", false, 103);
    Goal("idle step interval p50", intervals.m_P50, "ms", true, 9.3);
    Goal("idle step interval p99", intervals.m_P99, "ms", true, 11);
    Goal("idle step interval max", intervals.m_Max, "ms", true, 25);
    return 0;
}
