// A benchmarked child process with time-stamped output lines.
#include "support/BenchProcess.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace dravo::bench {

BenchProcess::BenchProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                           const std::filesystem::path& workingDirectory) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) {
        return;
    }
    signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> copies = arguments;
    std::string programText = program.string();
    std::vector<char*> argv{programText.data()};
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    m_Started = Clock::now();
    m_Pid = fork();
    if (m_Pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1]}) {
            close(fd);
        }
        if (chdir(workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        execv(programText.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    m_Input = in[1];
    m_Reader = std::thread([this, fd = out[0]] { Read(fd); });
}

BenchProcess::~BenchProcess() {
    if (m_Pid > 0 && !m_Exited) {
        kill(m_Pid, SIGKILL);
        Wait(std::chrono::seconds(5));
    }
    if (m_Input >= 0) {
        close(m_Input);
    }
    if (m_Reader.joinable()) {
        m_Reader.join();
    }
}

void BenchProcess::Read(int fd) {
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        const auto now = Clock::now();
        std::scoped_lock lock(m_Mutex);
        m_Partial.append(buffer, static_cast<size_t>(count));
        for (size_t end = m_Partial.find('\n'); end != std::string::npos; end = m_Partial.find('\n')) {
            m_Lines.push_back({m_Partial.substr(0, end), now, m_Lines.size()});
            m_Partial.erase(0, end + 1);
        }
        m_Changed.notify_all();
    }
    close(fd);
}

std::optional<BenchProcess::Line> BenchProcess::WaitForLine(const std::string& text, std::chrono::milliseconds limit,
                                                            size_t from) {
    std::unique_lock lock(m_Mutex);
    std::optional<Line> found;
    m_Changed.wait_for(lock, limit, [&] {
        for (size_t i = from; i < m_Lines.size(); ++i) {
            if (m_Lines[i].m_Text.find(text) != std::string::npos) {
                found = m_Lines[i];
                return true;
            }
        }
        return false;
    });
    return found;
}

size_t BenchProcess::LineCount() const {
    std::scoped_lock lock(m_Mutex);
    return m_Lines.size();
}

void BenchProcess::WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    if (m_Input >= 0) {
        (void)!write(m_Input, text.data(), text.size());
    }
}

void BenchProcess::Signal(int signal) {
    if (m_Pid > 0 && !m_Exited) {
        kill(m_Pid, signal);
    }
}

int BenchProcess::Wait(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(m_Pid, &status, WNOHANG);
        if (done == m_Pid) {
            m_Exited = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (Clock::now() >= end) {
            kill(m_Pid, SIGKILL);
            waitpid(m_Pid, &status, 0);
            m_Exited = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string BenchProcess::AllOutput() const {
    std::scoped_lock lock(m_Mutex);
    std::string all;
    for (const Line& line : m_Lines) {
        all += line.m_Text + "\n";
    }
    return all + m_Partial;
}

} // namespace dravo::bench
