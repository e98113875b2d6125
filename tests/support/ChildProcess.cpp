// Child processes for the end-to-end tests, on fork/exec and poll.
#include "support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dravo::test {
namespace {

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

} // namespace

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory, const std::string& input,
                         std::chrono::milliseconds limit) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        if (chdir(workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        std::vector<char*> argv;
        std::string programText = program.string();
        argv.push_back(programText.data());
        std::vector<std::string> copies = arguments;
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
    int toChild = in[1], fromOut = out[0], fromErr = err[0];
    signal(SIGPIPE, SIG_IGN);

    ProcessResult result;
    size_t written = 0;
    if (input.empty()) {
        CloseIfOpen(toChild);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (fromOut >= 0 || fromErr >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.m_TimedOut = true;
            kill(child, SIGKILL);
            break;
        }
        pollfd fds[3] = {{fromOut, POLLIN, 0}, {fromErr, POLLIN, 0}, {toChild, POLLOUT, 0}};
        if (poll(fds, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        char buffer[4096];
        for (int index = 0; index < 2; ++index) {
            if (fds[index].fd >= 0 && (fds[index].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                const ssize_t count = read(fds[index].fd, buffer, sizeof buffer);
                int& fd = index == 0 ? fromOut : fromErr;
                if (count <= 0) {
                    CloseIfOpen(fd);
                } else {
                    (index == 0 ? result.m_Stdout : result.m_Stderr).append(buffer, static_cast<size_t>(count));
                }
            }
        }
        if (toChild >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t count = write(toChild, input.data() + written, input.size() - written);
            written += count > 0 ? static_cast<size_t>(count) : 0;
            if (count < 0 || written == input.size()) {
                CloseIfOpen(toChild);
            }
        }
    }
    CloseIfOpen(toChild);
    CloseIfOpen(fromOut);
    CloseIfOpen(fromErr);
    int status = 0;
    waitpid(child, &status, 0);
    result.m_ExitStatus = (!result.m_TimedOut && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace dravo::test
