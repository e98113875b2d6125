// Reading lines on a thread of their own, with a pipe to stop the wait.
#include "platform/window/LineReader.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace dravo {

LineReader::LineReader(int fd, LineHandler onLine, EndHandler onEnd)
    : m_Fd(fd), m_OnLine(std::move(onLine)), m_OnEnd(std::move(onEnd)) {
    int stopPipe[2] = {-1, -1};
    if (m_Fd < 0 || pipe2(stopPipe, O_CLOEXEC) != 0) {
        // Nothing to read, or no way to stop a reader later: the input has ended.
        if (m_OnEnd) {
            m_OnEnd();
        }
        return;
    }
    m_StopRead = stopPipe[0];
    m_StopWrite = stopPipe[1];
    m_Thread = std::thread([this] { Run(); });
}

LineReader::~LineReader() {
    if (m_Thread.joinable()) {
        const char stop = 1;
        while (write(m_StopWrite, &stop, 1) < 0 && errno == EINTR) {
        }
        m_Thread.join();
    }
    if (m_StopRead >= 0) {
        close(m_StopRead);
        close(m_StopWrite);
    }
}

void LineReader::Deliver(std::string& line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (m_OnLine) {
        m_OnLine(std::move(line));
    }
    line.clear();
}

void LineReader::Run() {
    std::string line;
    bool overlong = false; // dropping the rest of a line past MAX_LINE
    char buffer[4096];
    while (true) {
        pollfd waits[2] = {{m_Fd, POLLIN, 0}, {m_StopRead, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (waits[1].revents != 0) {
            return; // stopped: the owner is going away and wants no more calls
        }
        const ssize_t got = read(m_Fd, buffer, sizeof(buffer));
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        for (ssize_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                if (!overlong) {
                    Deliver(line);
                }
                overlong = false;
            } else if (overlong) {
                continue;
            } else if (line.size() < MAX_LINE) {
                line.push_back(c);
            } else {
                overlong = true;
                Deliver(line); // the first MAX_LINE characters go on; the rest is dropped
            }
        }
    }
    if (!line.empty()) {
        Deliver(line);
    }
    if (m_OnEnd) {
        m_OnEnd();
    }
}

} // namespace dravo
