// A configuration file of junk: dravoserv started with -go on the sample game whose
// dravosrv.cfg has about 14 MB of lines that do not parse appended (--megabytes),
// against the same start on the clean file. Figures: the time to "Server is
// running." and the peak resident size (VmHWM, read once the server runs, so the
// reading of the file is in it) of both starts, their differences, the reports of
// skipped lines on standard error, and the time the shutdown takes (it keeps the
// file as it was beside it, then saves it without the junk).
// Goals: at most 8 MB more resident memory and 2000 ms more start-up than the clean start;
// at most 11 reports of skipped lines (the first ten and one count).
#include "support/BenchGame.h"
#include "support/Figures.h"
#include "support/ProcStats.h"

#include <algorithm>
#include <fstream>
#include <string>

using namespace dravo::bench;

namespace {

struct Start {
    double m_StartMs = 0;
    double m_PeakKb = 0;
    double m_StopMs = 0;
    size_t m_Reports = 0;
};

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

size_t Count(const std::string& text, const std::string& word) {
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size())) {
        ++count;
    }
    return count;
}

bool Measure(BenchGame& game, Start& start) {
    const auto server = game.StartServer();
    const auto line = server->WaitForLine(BenchGame::RUNNING, std::chrono::milliseconds(0));
    if (!line) {
        Complain("the server did not start", *server);
        return false;
    }
    start.m_StartMs = Ms(line->m_Arrived - server->StartTime());
    start.m_PeakKb = static_cast<double>(PeakRssKb(server->Pid()));
    const auto asked = Clock::now();
    server->WriteLine("/shutdown");
    if (server->Wait(std::chrono::seconds(60)) != 0) {
        Complain("the server did not end well", *server);
        return false;
    }
    start.m_StopMs = Ms(Clock::now() - asked);
    server->FinishReading();
    start.m_Reports = Count(server->Errors(), ": skipped a line: ");
    return true;
}

// Lines without the double quotes a value needs, numbered so that none repeats.
void AppendJunk(const std::filesystem::path& file, double megabytes) {
    std::ofstream out(file, std::ios::app | std::ios::binary);
    const auto bytes = static_cast<uint64_t>(megabytes * 1e6);
    uint64_t written = 0;
    for (uint64_t number = 0; written < bytes; ++number) {
        const std::string line = "Junk" + std::to_string(number) + " not a value\n";
        out << line;
        written += line.size();
    }
}

} // namespace

int main(int argc, char** argv) {
    const double megabytes = std::max(1.0, NumberOption(argc, argv, "--megabytes", 14));
    BenchGame game;
    Start clean;
    if (!Measure(game, clean)) {
        return 1;
    }
    const auto config = game.Path() / "dravosrv.cfg";
    AppendJunk(config, megabytes);
    const double fileMb = static_cast<double>(std::filesystem::file_size(config)) / 1e6;
    Start junk;
    if (!Measure(game, junk)) {
        return 1;
    }
    std::printf("Start with -go on a configuration of %.1f MB of junk lines, against the clean file\n", fileMb);
    Figure("clean: start-up", clean.m_StartMs, "ms");
    Figure("clean: peak resident", clean.m_PeakKb / 1024, "MB");
    Figure("junk: start-up", junk.m_StartMs, "ms");
    Figure("junk: peak resident", junk.m_PeakKb / 1024, "MB");
    Figure("junk: shutdown (copy kept, file saved)", junk.m_StopMs, "ms");
    Goal("junk: start-up over the clean start", junk.m_StartMs - clean.m_StartMs, "ms", true, 2000);
    Goal("junk: peak resident over the clean start", (junk.m_PeakKb - clean.m_PeakKb) / 1024, "MB", true, 8);
    Goal("junk: reports of skipped lines", static_cast<double>(junk.m_Reports), "lines", true, 11);
    return 0;
}
