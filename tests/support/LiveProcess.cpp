// A running child process with watched output.
#include "support/LiveProcess.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dravo::test {

LiveProcess::LiveProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
        return;
    }
    signal(SIGPIPE, SIG_IGN);
    m_Pid = fork();
    if (m_Pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        if (chdir(workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        std::vector<std::string> copies = arguments;
        std::string programText = program.string();
        std::vector<char*> argv{programText.data()};
        for (std::string& argument : copies) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        execv(programText.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    m_Input = in[1];
    m_OutputReader = std::thread([this, fd = out[0]] { Read(fd, m_Output); });
    m_ErrorReader = std::thread([this, fd = err[0]] { Read(fd, m_Errors); });
}

LiveProcess::~LiveProcess() {
    if (m_Pid > 0 && !m_Exited) {
        kill(m_Pid, SIGKILL);
        Wait(std::chrono::seconds(5));
    }
    FinishReading();
}

void LiveProcess::Read(int fd, std::string& into) {
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        std::scoped_lock lock(m_Mutex);
        into.append(buffer, static_cast<size_t>(count));
        m_Changed.notify_all();
    }
    close(fd);
}

bool LiveProcess::WaitFor(const std::string& text, const std::string& stream, std::chrono::milliseconds limit) {
    std::unique_lock lock(m_Mutex);
    return m_Changed.wait_for(lock, limit, [&] { return stream.find(text) != std::string::npos; });
}

bool LiveProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    return WaitFor(text, m_Output, limit);
}

bool LiveProcess::WaitForError(const std::string& text, std::chrono::milliseconds limit) {
    return WaitFor(text, m_Errors, limit);
}

void LiveProcess::WriteLine(const std::string& line) {
    WriteText(line + "\n");
}

void LiveProcess::WriteText(const std::string& text) {
    size_t written = 0;
    while (m_Input >= 0 && written < text.size()) {
        const ssize_t count = write(m_Input, text.data() + written, text.size() - written);
        if (count <= 0) {
            break; // the child stopped reading
        }
        written += static_cast<size_t>(count);
    }
}

void LiveProcess::FinishReading() {
    CloseInput();
    if (m_OutputReader.joinable()) {
        m_OutputReader.join();
    }
    if (m_ErrorReader.joinable()) {
        m_ErrorReader.join();
    }
}

void LiveProcess::CloseInput() {
    if (m_Input >= 0) {
        close(m_Input);
        m_Input = -1;
    }
}

void LiveProcess::Signal(int signalNumber) {
    if (m_Pid > 0 && !m_Exited) {
        kill(m_Pid, signalNumber);
    }
}

int LiveProcess::Wait(std::chrono::milliseconds limit) {
    if (m_Pid <= 0) {
        return -1;
    }
    if (m_Exited) {
        return m_Status;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(m_Pid, &status, WNOHANG);
        if (done == m_Pid) {
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(m_Pid, SIGKILL);
            waitpid(m_Pid, &status, 0);
            m_Exited = true;
            m_TimedOut = true;
            m_Status = -1;
            return m_Status;
        }
        // Polling a child's end has no event to wait on short of a signal handler; a short pause will do.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_Exited = true;
    m_Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m_Status;
}

std::string LiveProcess::Output() const {
    std::scoped_lock lock(m_Mutex);
    return m_Output;
}

std::string LiveProcess::Errors() const {
    std::scoped_lock lock(m_Mutex);
    return m_Errors;
}

uint16_t FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

} // namespace dravo::test
