// A running child process: started with posix_spawn, its end watched through a pidfd, its output read
// by one thread that polls both pipes.
#include "support/LiveProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dravo::test {
namespace {

constexpr auto KILL_LIMIT = std::chrono::seconds(5);
// How long an ended process's last output may take to be read: its pipes end with it, unless a
// program it started still holds them.
constexpr auto LAST_OUTPUT_LIMIT = std::chrono::seconds(2);
constexpr int OUTPUT = 0;
constexpr int ERRORS = 1;

void CloseIfOpen(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

// The pidfd calls through syscall: glibc 2.36 declares them without C linkage for C++.
int PidFdOpen(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}
void PidFdSendSignal(int pidFd, int signal) {
    (void)::syscall(SYS_pidfd_send_signal, pidFd, signal, nullptr, 0);
}

// What is left of the limit from now to the deadline, as a poll timeout.
int MsLeft(LiveProcess::Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - LiveProcess::Clock::now()).count();
    return static_cast<int>(std::clamp<int64_t>(left, 0, INT32_MAX));
}

// Waits for the events on one descriptor until the deadline; false at the deadline.
bool PollUntil(int descriptor, short events, LiveProcess::Clock::time_point deadline) {
    for (;;) {
        pollfd entry{descriptor, events, 0};
        const int ready = ::poll(&entry, 1, MsLeft(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

} // namespace

LiveProcess::LiveProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory) {
    // A child that stops reading must not end the writer: writes report EPIPE instead.
    static std::once_flag ignorePipe;
    std::call_once(ignorePipe, [] { std::signal(SIGPIPE, SIG_IGN); });

    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        m_Errors = std::string("cannot make pipes: ") + std::strerror(errno) + "\n";
        for (int* descriptor : {&in[0], &in[1], &out[0], &out[1], &err[0], &err[1]}) {
            CloseIfOpen(*descriptor);
        }
        m_OutputEnded = m_ErrorsEnded = true;
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    // Nothing else of the test's: a child that outlives a test killed by a sanitizer must not keep, say, the
    // shared build lock's descriptor open.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    // The child starts with default signal handling and nothing blocked, whatever this process does.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> words = {program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    m_StartTime = Clock::now();
    const int failed = ::posix_spawn(&m_Pid, words[0].c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    CloseIfOpen(in[0]);
    CloseIfOpen(out[1]);
    CloseIfOpen(err[1]);
    if (failed != 0) {
        m_Pid = -1;
        m_Errors =
            "cannot start " + words[0] + " in " + workingDirectory.string() + ": " + std::strerror(failed) + "\n";
        CloseIfOpen(in[1]);
        CloseIfOpen(out[0]);
        CloseIfOpen(err[0]);
        m_OutputEnded = m_ErrorsEnded = true;
        return;
    }
    m_PidFd = PidFdOpen(m_Pid);
    if (m_PidFd < 0) { // Linux before 5.3: the end could not be waited for with a bound
        m_Errors = "cannot watch " + words[0] + " (pidfd_open): " + std::strerror(errno) + "\n";
        (void)::kill(m_Pid, SIGKILL);
        (void)::waitpid(m_Pid, nullptr, 0);
        m_Pid = -1;
        CloseIfOpen(in[1]);
        CloseIfOpen(out[0]);
        CloseIfOpen(err[0]);
        m_OutputEnded = m_ErrorsEnded = true;
        return;
    }
    m_Input = in[1];
    ::fcntl(m_Input, F_SETFL, O_NONBLOCK); // writes wait with poll, bounded
    m_Wake = ::eventfd(0, EFD_CLOEXEC);
    m_Reader = std::thread([this, output = out[0], errors = err[0]] { Read(output, errors); });
}

LiveProcess::~LiveProcess() {
    if (Started() && !m_Exited) {
        Signal(SIGKILL);
        (void)WaitForExit(KILL_LIMIT);
    }
    FinishReading(KILL_LIMIT);
    CloseIfOpen(m_PidFd);
    CloseIfOpen(m_Wake);
}

void LiveProcess::Read(int output, int errors) {
    pollfd entries[3] = {{output, POLLIN, 0}, {errors, POLLIN, 0}, {m_Wake, POLLIN, 0}};
    while (entries[OUTPUT].fd >= 0 || entries[ERRORS].fd >= 0) {
        if (::poll(entries, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (entries[2].revents != 0) {
            break; // told to stop
        }
        for (int stream : {OUTPUT, ERRORS}) {
            if (entries[stream].fd < 0 || entries[stream].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t count = ::read(entries[stream].fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count > 0) {
                Append(stream, buffer, static_cast<size_t>(count));
            } else {
                CloseIfOpen(entries[stream].fd);
                Append(stream, nullptr, 0);
            }
        }
    }
    for (int stream : {OUTPUT, ERRORS}) {
        if (entries[stream].fd >= 0) {
            CloseIfOpen(entries[stream].fd);
            Append(stream, nullptr, 0);
        }
    }
}

// Adds what arrived on a stream; no data means the stream ended.
void LiveProcess::Append(int stream, const char* data, size_t size) {
    const auto now = Clock::now();
    std::scoped_lock lock(m_Mutex);
    if (stream == ERRORS) {
        m_Errors.append(data == nullptr ? "" : std::string_view(data, size));
        m_ErrorsEnded = m_ErrorsEnded || data == nullptr;
    } else {
        const size_t scanned = m_Output.size();
        if (data != nullptr) {
            m_Output.append(data, size);
        }
        for (size_t end = m_Output.find('\n', scanned); end != std::string::npos; end = m_Output.find('\n', end + 1)) {
            m_Lines.push_back({m_Output.substr(m_LineStart, end - m_LineStart), now, m_Lines.size()});
            m_LineStart = end + 1;
        }
        if (data == nullptr) {
            if (m_LineStart < m_Output.size()) { // the last line had no line feed
                m_Lines.push_back({m_Output.substr(m_LineStart), now, m_Lines.size()});
                m_LineStart = m_Output.size();
            }
            m_OutputEnded = true;
        }
    }
    m_Changed.notify_all();
}

bool LiveProcess::WaitUntil(const std::function<bool()>& found, const bool& ended, std::chrono::milliseconds limit) {
    std::unique_lock lock(m_Mutex);
    m_Changed.wait_for(lock, limit, [&] { return found() || ended; });
    return found();
}

bool LiveProcess::WaitForOutput(std::string_view text, std::chrono::milliseconds limit) {
    return WaitUntil([&] { return m_Output.find(text) != std::string::npos; }, m_OutputEnded, limit);
}

bool LiveProcess::WaitForError(std::string_view text, std::chrono::milliseconds limit) {
    return WaitUntil([&] { return m_Errors.find(text) != std::string::npos; }, m_ErrorsEnded, limit);
}

std::optional<LiveProcess::Line> LiveProcess::WaitForLine(std::string_view text, std::chrono::milliseconds limit,
                                                          size_t from) {
    return WaitForAnyLine({text}, limit, from);
}

std::optional<LiveProcess::Line> LiveProcess::WaitForAnyLine(std::initializer_list<std::string_view> texts,
                                                             std::chrono::milliseconds limit, size_t from) {
    std::optional<Line> match;
    size_t next = from; // lines before it were looked at already
    WaitUntil(
        [&] {
            for (; next < m_Lines.size(); ++next) {
                for (std::string_view text : texts) {
                    if (m_Lines[next].m_Text.find(text) != std::string::npos) {
                        match = m_Lines[next];
                        return true;
                    }
                }
            }
            return false;
        },
        m_OutputEnded, limit);
    return match;
}

size_t LiveProcess::LineCount() const {
    std::scoped_lock lock(m_Mutex);
    return m_Lines.size();
}

bool LiveProcess::WriteLine(const std::string& line, std::chrono::milliseconds limit) {
    return WriteText(line + "\n", limit);
}

bool LiveProcess::WriteText(std::string_view text, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (m_Input >= 0 && !text.empty()) {
        const ssize_t count = ::write(m_Input, text.data(), text.size());
        if (count > 0) {
            text.remove_prefix(static_cast<size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && errno == EAGAIN) {
            if (!PollUntil(m_Input, POLLOUT, deadline)) {
                return false; // the child does not read
            }
        } else {
            return false; // the child closed its input
        }
    }
    return text.empty();
}

void LiveProcess::CloseInput() {
    CloseIfOpen(m_Input);
}

void LiveProcess::Signal(int signal) {
    if (Started() && !m_Exited) {
        PidFdSendSignal(m_PidFd, signal);
    }
}

bool LiveProcess::WaitForExit(std::chrono::milliseconds limit) {
    if (!Started() || m_Exited) {
        return m_Exited;
    }
    if (!PollUntil(m_PidFd, POLLIN, Clock::now() + limit)) {
        return false;
    }
    siginfo_t info{}; // the pidfd says it ended: collect it
    if (::waitid(P_PID, static_cast<id_t>(m_Pid), &info, WEXITED) != 0) {
        return false;
    }
    m_Exited = true;
    m_Status = info.si_code == CLD_EXITED ? info.si_status : -1;
    CloseIfOpen(m_PidFd);
    // What it wrote just before its end is still on its way through the reader: a look at the
    // output right after the wait must find it.
    std::unique_lock lock(m_Mutex);
    m_Changed.wait_for(lock, LAST_OUTPUT_LIMIT, [this] { return m_OutputEnded && m_ErrorsEnded; });
    return true;
}

int LiveProcess::Wait(std::chrono::milliseconds limit) {
    if (Started() && !WaitForExit(limit)) {
        Signal(SIGKILL);
        (void)WaitForExit(KILL_LIMIT);
        m_TimedOut = true;
        m_Status = -1;
    }
    return m_Status;
}

void LiveProcess::FinishReading(std::chrono::milliseconds limit) {
    CloseInput();
    if (!m_Reader.joinable()) {
        return;
    }
    {
        // A program it started may still hold the pipes: wait for their end only so long.
        std::unique_lock lock(m_Mutex);
        m_Changed.wait_for(lock, limit, [this] { return m_OutputEnded && m_ErrorsEnded; });
    }
    StopReader();
}

void LiveProcess::StopReader() {
    const uint64_t one = 1;
    (void)!::write(m_Wake, &one, sizeof one);
    m_Reader.join();
}

std::string LiveProcess::Output() const {
    std::scoped_lock lock(m_Mutex);
    return m_Output;
}

std::string LiveProcess::Errors() const {
    std::scoped_lock lock(m_Mutex);
    return m_Errors;
}

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory, const std::string& input,
                         std::chrono::milliseconds limit) {
    LiveProcess process(program, arguments, workingDirectory);
    (void)process.WriteText(input, limit);
    process.CloseInput();
    ProcessResult result;
    result.m_ExitStatus = process.Wait(limit);
    result.m_TimedOut = process.TimedOut();
    process.FinishReading();
    result.m_Stdout = process.Output();
    result.m_Stderr = process.Errors();
    return result;
}

} // namespace dravo::test
