// RunProcess: starts a program, feeds its standard input, collects its output
// and exit status, and kills it when it runs past a time limit.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace dravo::test {

struct ProcessResult {
    int m_ExitStatus = -1; // exit code, or -1 when killed by a signal or the time limit
    bool m_TimedOut = false;
    std::string m_Stdout;
    std::string m_Stderr;
};

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory, const std::string& input = "",
                         std::chrono::milliseconds limit = std::chrono::seconds(30));

} // namespace dravo::test
