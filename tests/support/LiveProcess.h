// LiveProcess: a program running beside a test or a benchmark, talked to while it runs: lines written
// to its input, its output watched as it comes (each output line kept with the time it arrived),
// signals sent. Its end is watched through a pidfd. Every wait and every write is bounded by a time
// limit; the destructor kills what still runs. RunProcess: a program run to its end with given input.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace dravo::test {

class LiveProcess {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds DEFAULT_LIMIT{20000};

    // One line of standard output, without its line feed.
    struct Line {
        std::string m_Text;
        Clock::time_point m_Arrived;
        size_t m_Index = 0; // its place among the output lines, from 0
    };

    LiveProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& workingDirectory);
    ~LiveProcess();
    LiveProcess(const LiveProcess&) = delete;
    LiveProcess& operator=(const LiveProcess&) = delete;

    // False when the program could not be started; Errors() then says why.
    bool Started() const { return m_Pid > 0; }
    pid_t Pid() const { return m_Pid; }
    Clock::time_point StartTime() const { return m_StartTime; }

    // Waits until standard output (or standard error) holds the text; false at the limit or when the
    // stream ended without it.
    bool WaitForOutput(std::string_view text, std::chrono::milliseconds limit = DEFAULT_LIMIT);
    bool WaitForError(std::string_view text, std::chrono::milliseconds limit = DEFAULT_LIMIT);
    // The first output line at or after line `from` that holds the text (or one of the texts).
    std::optional<Line> WaitForLine(std::string_view text, std::chrono::milliseconds limit = DEFAULT_LIMIT,
                                    size_t from = 0);
    std::optional<Line> WaitForAnyLine(std::initializer_list<std::string_view> texts,
                                       std::chrono::milliseconds limit = DEFAULT_LIMIT, size_t from = 0);
    // How many complete output lines arrived so far.
    size_t LineCount() const;

    // False when the process stopped reading, or not everything could be written within the limit.
    bool WriteLine(const std::string& line, std::chrono::milliseconds limit = DEFAULT_LIMIT);
    bool WriteText(std::string_view text, std::chrono::milliseconds limit = DEFAULT_LIMIT);
    void CloseInput();
    void Signal(int signal);
    // The exit status, or -1 when it died of a signal or had to be killed at the limit.
    int Wait(std::chrono::milliseconds limit = DEFAULT_LIMIT);
    // Waits at most the limit for the process to end by itself, without killing it; Wait() then
    // returns its status at once. Once it has ended, what it wrote up to its end has been read (unless a
    // program it started holds its output open). HasExited looks without waiting.
    bool WaitForExit(std::chrono::milliseconds limit);
    bool HasExited() { return WaitForExit(std::chrono::milliseconds(0)); }
    // True when Wait had to kill the process at its limit.
    bool TimedOut() const { return m_TimedOut; }
    // After the process ended: waits (at most the limit) until everything it wrote has been read.
    void FinishReading(std::chrono::milliseconds limit = std::chrono::seconds(5));

    std::string Output() const;
    std::string Errors() const;

private:
    void Read(int output, int errors);
    void Append(int stream, const char* data, size_t size);
    // Waits until `found` holds (called with the lock held) or `stream` ended; returns what `found` says.
    bool WaitUntil(const std::function<bool()>& found, const bool& ended, std::chrono::milliseconds limit);
    void StopReader();

    pid_t m_Pid = -1;
    int m_PidFd = -1;
    int m_Input = -1;
    int m_Wake = -1; // an eventfd that stops the reader
    bool m_Exited = false;
    bool m_TimedOut = false;
    int m_Status = -1;
    Clock::time_point m_StartTime;

    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::string m_Output;
    std::string m_Errors;
    std::vector<Line> m_Lines;
    size_t m_LineStart = 0; // where the output line still being written begins
    bool m_OutputEnded = false;
    bool m_ErrorsEnded = false;
    std::thread m_Reader;
};

struct ProcessResult {
    int m_ExitStatus = -1; // exit code, or -1 when killed by a signal or the time limit
    bool m_TimedOut = false;
    std::string m_Stdout;
    std::string m_Stderr;
};

// Runs a program to its end: `input` on its standard input, then end of input; killed at the limit.
ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory, const std::string& input = "",
                         std::chrono::milliseconds limit = std::chrono::seconds(30));

} // namespace dravo::test
