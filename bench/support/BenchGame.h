// BenchGame: the tests' copy of the sample game set up for a benchmark (frags off, so the game stays
// still), the runner and clock the benchmarks use, and their command-line numbers.
#pragma once

#include "support/LiveProcess.h"
#include "support/SampleGame.h"
#include "support/TestPaths.h"

#include <map>
#include <memory>
#include <string>

namespace dravo::bench {

using test::BinDir;
using test::LiveProcess;
using Clock = LiveProcess::Clock;

class BenchGame : public test::SampleGame {
public:
    // Ends the benchmark when the game cannot be set up.
    BenchGame();
    // Sets variables in the game's configuration; false when the engine could not.
    bool Configure(const std::map<std::string, std::string>& values);
    // dravoserv hosting the game (-go, headless) once it runs; empty, after saying why, when it does not.
    std::unique_ptr<LiveProcess> Host();
};

// The number after `name` on the command line ("--seconds 30"), or `fallback`.
double NumberOption(int argc, char** argv, const char* name, double fallback);
// Prints what did not happen with everything the process wrote, for a benchmark that cannot go on.
void Complain(const std::string& what, const LiveProcess& process);

} // namespace dravo::bench
