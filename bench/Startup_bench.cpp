// Start-up: from process start to "Server is running." with -go in a copy of the
// sample game, --runs (10) times; median and fastest, and "dravoserv -help"
// (loading the program and its libraries, then exit, no engine) in the same run,
// which splits the time into loading the program and everything after it. The
// headless face prints the start-up log lines together once the window runs, so
// they do not split the time further (strace -f -tt does: see the README).
#include "support/BenchGame.h"
#include "support/Figures.h"

#include <algorithm>
#include <vector>

using namespace dravo::bench;

namespace {

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = std::max(1, static_cast<int>(NumberOption(argc, argv, "--runs", 10)));
    BenchGame game;
    std::vector<double> totals, helps;
    for (int run = 0; run < runs; ++run) {
        {
            LiveProcess help(BinDir() / "dravoserv", {"-help"}, game.Path());
            help.Wait(std::chrono::seconds(10));
            helps.push_back(Ms(Clock::now() - help.StartTime()));
        }
        const auto server = game.StartServer();
        const auto line = server->WaitForLine(BenchGame::RUNNING, std::chrono::milliseconds(0));
        if (!line) {
            Complain("the server did not start", *server);
            return 1;
        }
        totals.push_back(Ms(line->m_Arrived - server->StartTime()));
        server->WriteLine("/shutdown");
        server->Wait(std::chrono::seconds(10));
    }
    std::printf("Start-up to \"Server is running.\" with -go on the sample game, %d runs (medians)\n", runs);
    Figure("start-up, median", Median(totals), "ms");
    Figure("start-up, fastest", *std::min_element(totals.begin(), totals.end()), "ms");
    Figure("dravoserv -help, start to exit (median)", Median(helps), "ms");
    Figure("start-up after loading the program", Median(totals) - Median(helps), "ms");
    return 0;
}
