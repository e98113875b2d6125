// BenchProcess: a program the benchmark starts and talks to: lines written to its
// standard input, each output line kept with the time it arrived. Every wait is
// bounded; the destructor kills what still runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace dravo::bench {

using Clock = std::chrono::steady_clock;

class BenchProcess {
public:
    BenchProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& workingDirectory);
    ~BenchProcess();
    BenchProcess(const BenchProcess&) = delete;
    BenchProcess& operator=(const BenchProcess&) = delete;

    pid_t Pid() const { return m_Pid; }
    Clock::time_point Started() const { return m_Started; }
    // The first output line at or after line `from` that contains the text, with its arrival time.
    struct Line {
        std::string m_Text;
        Clock::time_point m_Arrived;
        size_t m_Index;
    };
    std::optional<Line> WaitForLine(const std::string& text, std::chrono::milliseconds limit, size_t from = 0);
    size_t LineCount() const;
    void WriteLine(const std::string& line);
    void Signal(int signal);
    // The exit status, or -1 when it had to be killed at the limit.
    int Wait(std::chrono::milliseconds limit);
    std::string AllOutput() const;

private:
    void Read(int fd);

    pid_t m_Pid = -1;
    int m_Input = -1;
    bool m_Exited = false;
    Clock::time_point m_Started;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<Line> m_Lines;
    std::string m_Partial;
    std::thread m_Reader;
};

} // namespace dravo::bench
