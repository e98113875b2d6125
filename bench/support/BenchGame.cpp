// The sample game copied for a benchmark.
#include "support/BenchGame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dravo::bench {

BenchGame::BenchGame() {
    if (!Configure({{"fragrate", "0"}})) {
        std::exit(1);
    }
}

bool BenchGame::Configure(const std::map<std::string, std::string>& values) {
    std::string error;
    if (!SampleGame::Configure(values, error)) {
        std::fprintf(stderr, "cannot configure the game: %s\n", error.c_str());
        return false;
    }
    return true;
}

std::unique_ptr<LiveProcess> BenchGame::Host() {
    auto server = StartServer();
    if (!server->WaitForLine(RUNNING, std::chrono::milliseconds(0))) {
        Complain("the server did not start", *server);
        return nullptr;
    }
    return server;
}

double NumberOption(int argc, char** argv, const char* name, double fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return std::atof(argv[i + 1]);
        }
    }
    return fallback;
}

void Complain(const std::string& what, const LiveProcess& process) {
    std::fprintf(stderr, "%s:\n%s%s", what.c_str(), process.Output().c_str(), process.Errors().c_str());
}

} // namespace dravo::bench
