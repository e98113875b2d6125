// LiveProcess: a program running beside the test, talked to while it runs:
// lines written to its input, its output watched as it comes, signals sent.
// Every wait is bounded; the destructor kills what is still running.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace dravo::test {

class LiveProcess {
public:
    LiveProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& workingDirectory);
    ~LiveProcess();
    LiveProcess(const LiveProcess&) = delete;
    LiveProcess& operator=(const LiveProcess&) = delete;

    // Waits until the output (standard output, or standard error) holds the text.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(20));
    bool WaitForError(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(20));
    void WriteLine(const std::string& line);
    void WriteText(const std::string& text);
    void CloseInput();
    void Signal(int signal);
    // The exit status, or -1 when it had to be killed at the limit or died of a signal.
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(20));

    // True when Wait had to kill the process at its limit.
    bool TimedOut() const { return m_TimedOut; }
    // After the process ended: waits until everything it wrote has been read.
    void FinishReading();

    std::string Output() const;
    std::string Errors() const;

private:
    void Read(int fd, std::string& into);
    bool WaitFor(const std::string& text, const std::string& stream, std::chrono::milliseconds limit);

    pid_t m_Pid = -1;
    int m_Input = -1;
    bool m_Exited = false;
    bool m_TimedOut = false;
    int m_Status = -1;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::string m_Output;
    std::string m_Errors;
    std::thread m_OutputReader;
    std::thread m_ErrorReader;
};

// A UDP port on 127.0.0.1 that nothing is bound to at the moment of asking.
uint16_t FreeUdpPort();

} // namespace dravo::test
