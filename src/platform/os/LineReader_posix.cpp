// Reading lines on a thread of their own, with a pipe to stop the wait.
#include "platform/os/LineReader.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace dravo {

struct LineReader::Context {
    int m_Fd = -1;
    int m_StopRead = -1;
    int m_StopWrite = -1;
    LineHandler m_OnLine;
    EndHandler m_OnEnd;

    ~Context() {
        if (m_StopRead >= 0) {
            close(m_StopRead);
            close(m_StopWrite);
        }
    }

    void Run() {
        LineSplitter lines(m_OnLine);
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
            lines.Feed(std::string_view(buffer, static_cast<size_t>(got)));
        }
        lines.Finish();
        if (m_OnEnd) {
            m_OnEnd();
        }
    }
};

LineReader::LineReader(int fd, BlockingPool& /*pool*/, LineHandler onLine, EndHandler onEnd)
    : m_Context(std::make_shared<Context>()) {
    m_Context->m_Fd = fd;
    m_Context->m_OnLine = std::move(onLine);
    m_Context->m_OnEnd = std::move(onEnd);
    int stopPipe[2] = {-1, -1};
    if (fd < 0 || pipe2(stopPipe, O_CLOEXEC) != 0) {
        // Nothing to read, or no way to stop a reader later: the input has ended.
        if (m_Context->m_OnEnd) {
            m_Context->m_OnEnd();
        }
        return;
    }
    m_Context->m_StopRead = stopPipe[0];
    m_Context->m_StopWrite = stopPipe[1];
    m_Thread = std::thread([context = m_Context] { context->Run(); });
}

LineReader::~LineReader() {
    if (m_Thread.joinable()) {
        const char stop = 1;
        while (write(m_Context->m_StopWrite, &stop, 1) < 0 && errno == EINTR) {
        }
        m_Thread.join();
    }
}

} // namespace dravo
