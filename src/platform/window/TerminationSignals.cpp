// SIGTERM and SIGINT through a self-pipe: the handler only writes a byte, the watcher thread does the rest.
#include "platform/window/TerminationSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace dravo {
namespace {

// A signal handler can reach nothing but globals; these belong to the one watching instance.
std::atomic<bool> g_Taken{false};
std::atomic<int> g_SignalWrite{-1};
int g_SignalRead = -1;
struct sigaction g_PreviousTerm {};
struct sigaction g_PreviousInt {};

extern "C" void OnTerminationSignal(int /*signal*/) {
    const int savedErrno = errno;
    const int fd = g_SignalWrite.load();
    if (fd >= 0) {
        const char note = 1;
        (void)!write(fd, &note, 1); // a full pipe already holds enough notes
    }
    errno = savedErrno;
}

void ClosePair(int& readEnd, int& writeEnd) {
    if (readEnd >= 0) {
        close(readEnd);
        close(writeEnd);
    }
    readEnd = -1;
    writeEnd = -1;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal) : m_OnSignal(std::move(onSignal)) {
    if (g_Taken.exchange(true)) {
        return;
    }
    int signalPipe[2] = {-1, -1};
    int stopPipe[2] = {-1, -1};
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_Taken = false;
        return;
    }
    if (pipe2(stopPipe, O_CLOEXEC) != 0) {
        ClosePair(signalPipe[0], signalPipe[1]);
        g_Taken = false;
        return;
    }
    g_SignalRead = signalPipe[0];
    g_SignalWrite = signalPipe[1];
    m_StopRead = stopPipe[0];
    m_StopWrite = stopPipe[1];

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &g_PreviousTerm);
    sigaction(SIGINT, &action, &g_PreviousInt);
    m_Watching = true;
    m_Thread = std::thread([this] { Run(); });
}

TerminationSignals::~TerminationSignals() {
    if (!m_Watching) {
        return;
    }
    sigaction(SIGTERM, &g_PreviousTerm, nullptr);
    sigaction(SIGINT, &g_PreviousInt, nullptr);
    const char stop = 1;
    while (write(m_StopWrite, &stop, 1) < 0 && errno == EINTR) {
    }
    m_Thread.join();
    int signalWrite = g_SignalWrite.exchange(-1);
    ClosePair(g_SignalRead, signalWrite);
    ClosePair(m_StopRead, m_StopWrite);
    g_Taken = false;
}

void TerminationSignals::Run() {
    while (true) {
        pollfd waits[2] = {{g_SignalRead, POLLIN, 0}, {m_StopRead, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (waits[1].revents != 0) {
            return;
        }
        char notes[16];
        const ssize_t got = read(g_SignalRead, notes, sizeof(notes));
        for (ssize_t i = 0; i < got; ++i) {
            if (m_OnSignal) {
                m_OnSignal();
            }
        }
    }
}

} // namespace dravo
