// SIGHUP through a self-pipe: the handler only writes a byte, the watcher thread does the rest.
#include "platform/HangupSignal.h"

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
std::atomic<int> g_HangupWrite{-1};
int g_HangupRead = -1;
struct sigaction g_PreviousHangup {};

extern "C" void OnHangupSignal(int /*signal*/) {
    const int savedErrno = errno;
    const int fd = g_HangupWrite.load();
    if (fd >= 0) {
        const char note = 1;
        (void)!write(fd, &note, 1); // a full pipe already holds enough notes
    }
    errno = savedErrno;
}

void ClosePair(int& readEnd, int& writeEnd) {
    if (readEnd >= 0) {
        close(readEnd);
    }
    if (writeEnd >= 0) {
        close(writeEnd);
    }
    readEnd = -1;
    writeEnd = -1;
}

} // namespace

HangupSignal::HangupSignal(std::function<void()> onHangup) : m_OnHangup(std::move(onHangup)) {
    if (g_Taken.exchange(true)) {
        return;
    }
    int hangupPipe[2] = {-1, -1};
    int stopPipe[2] = {-1, -1};
    if (pipe2(hangupPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_Taken = false;
        return;
    }
    if (pipe2(stopPipe, O_CLOEXEC) != 0) {
        ClosePair(hangupPipe[0], hangupPipe[1]);
        g_Taken = false;
        return;
    }
    g_HangupRead = hangupPipe[0];
    g_HangupWrite = hangupPipe[1];
    m_StopRead = stopPipe[0];
    m_StopWrite = stopPipe[1];

    struct sigaction action {};
    action.sa_handler = OnHangupSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGHUP, &action, &g_PreviousHangup) != 0) {
        int hangupWrite = g_HangupWrite.exchange(-1);
        ClosePair(g_HangupRead, hangupWrite);
        ClosePair(m_StopRead, m_StopWrite);
        g_Taken = false;
        return;
    }
    m_Watching = true;
    m_Thread = std::thread([this] { Run(); });
}

HangupSignal::~HangupSignal() {
    if (!m_Watching) {
        return;
    }
    sigaction(SIGHUP, &g_PreviousHangup, nullptr);
    const char stop = 1;
    while (write(m_StopWrite, &stop, 1) < 0 && errno == EINTR) {
    }
    m_Thread.join();
    int hangupWrite = g_HangupWrite.exchange(-1);
    ClosePair(g_HangupRead, hangupWrite);
    ClosePair(m_StopRead, m_StopWrite);
    g_Taken = false;
}

void HangupSignal::Run() {
    while (true) {
        pollfd waits[2] = {{g_HangupRead, POLLIN, 0}, {m_StopRead, POLLIN, 0}};
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
        if (read(g_HangupRead, notes, sizeof(notes)) > 0 && m_OnHangup) {
            m_OnHangup();
        }
    }
}

} // namespace dravo
