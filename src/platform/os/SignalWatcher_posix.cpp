// One self-pipe for every watched signal: the handler writes the signal's number, one thread reads it
// and calls the owner.
#include "platform/os/SignalWatcher.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace dravo {
namespace {

constexpr std::array<int, 4> SYSTEM_SIGNALS = {SIGTERM, SIGINT, SIGHUP, SIGWINCH};
constexpr char STOP_NOTE = 0; // not a signal number: the thread ends

size_t IndexOf(Signal signal) {
    return static_cast<size_t>(signal);
}

// A signal handler reaches nothing but this.
std::atomic<int> g_NoteWrite{-1};

extern "C" void OnWatchedSignal(int number) {
    const int savedErrno = errno;
    const int fd = g_NoteWrite.load();
    if (fd >= 0) {
        const char note = static_cast<char>(number);
        (void)!write(fd, &note, 1); // a full pipe already holds enough notes
    }
    errno = savedErrno;
}

// The process's one watching machinery: the owners, the pipe and the thread.
class Hub {
public:
    static Hub& Instance() {
        static Hub hub;
        return hub;
    }

    bool Take(Signal signal, const SignalWatcher::Handler* handler) {
        std::scoped_lock lock(m_Mutex);
        Slot& slot = m_Slots[IndexOf(signal)];
        if (slot.m_Owner != nullptr || !StartLocked()) {
            return false;
        }
        struct sigaction action {};
        action.sa_handler = OnWatchedSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (sigaction(SYSTEM_SIGNALS[IndexOf(signal)], &action, &slot.m_Previous) != 0) {
            StopIfIdleLocked();
            return false;
        }
        slot.m_Owner = handler;
        ++m_Owned;
        return true;
    }

    void Give(Signal signal) {
        std::unique_lock lock(m_Mutex);
        Slot& slot = m_Slots[IndexOf(signal)];
        if (slot.m_Owner == nullptr) {
            return;
        }
        sigaction(SYSTEM_SIGNALS[IndexOf(signal)], &slot.m_Previous, nullptr);
        slot.m_Owner = nullptr;
        --m_Owned;
        StopIfIdleLocked();
    }

private:
    struct Slot {
        const SignalWatcher::Handler* m_Owner = nullptr;
        struct sigaction m_Previous {};
    };

    bool StartLocked() {
        if (m_Thread.joinable()) {
            return true;
        }
        int notes[2] = {-1, -1};
        if (pipe2(notes, O_CLOEXEC | O_NONBLOCK) != 0) {
            return false;
        }
        m_NoteRead = notes[0];
        g_NoteWrite = notes[1];
        m_Thread = std::thread([this, readEnd = notes[0]] { Run(readEnd); });
        return true;
    }

    // The last owner gone: the thread ends and the pipe closes. Called with m_Mutex held once; the
    // thread takes it around each call, so the join happens outside it. A new owner meanwhile starts a
    // pipe and a thread of its own.
    void StopIfIdleLocked() {
        if (m_Owned != 0 || !m_Thread.joinable()) {
            return;
        }
        const int writeEnd = g_NoteWrite.exchange(-1);
        const int readEnd = std::exchange(m_NoteRead, -1);
        const char stop = STOP_NOTE;
        while (write(writeEnd, &stop, 1) < 0 && errno == EINTR) {
        }
        std::thread thread = std::move(m_Thread);
        m_Mutex.unlock();
        thread.join();
        m_Mutex.lock();
        close(writeEnd);
        close(readEnd);
    }

    void Run(int readEnd) {
        for (;;) {
            pollfd wait{readEnd, POLLIN, 0};
            if (poll(&wait, 1, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            char notes[16];
            const ssize_t got = read(readEnd, notes, sizeof notes);
            for (ssize_t index = 0; index < got; ++index) {
                if (notes[index] == STOP_NOTE) {
                    return;
                }
                Deliver(notes[index]);
            }
        }
    }

    void Deliver(int number) {
        std::scoped_lock lock(m_Mutex);
        for (size_t index = 0; index < SYSTEM_SIGNALS.size(); ++index) {
            if (SYSTEM_SIGNALS[index] == number && m_Slots[index].m_Owner != nullptr) {
                (*m_Slots[index].m_Owner)(static_cast<Signal>(index));
            }
        }
    }

    std::recursive_mutex m_Mutex;
    std::array<Slot, SYSTEM_SIGNALS.size()> m_Slots;
    int m_Owned = 0;
    int m_NoteRead = -1;
    std::thread m_Thread;
};

} // namespace

bool SignalWatcher::Take(Signal signal, const Handler* handler) {
    return Hub::Instance().Take(signal, handler);
}

void SignalWatcher::Give(Signal signal) {
    Hub::Instance().Give(signal);
}

namespace {

void MaskSignals(std::initializer_list<Signal> signals, int how) {
    sigset_t set;
    sigemptyset(&set);
    for (const Signal signal : signals) {
        sigaddset(&set, SYSTEM_SIGNALS[IndexOf(signal)]);
    }
    (void)pthread_sigmask(how, &set, nullptr);
}

} // namespace

void HoldSignals(std::initializer_list<Signal> signals) {
    MaskSignals(signals, SIG_BLOCK);
}

void ReleaseSignals(std::initializer_list<Signal> signals) {
    MaskSignals(signals, SIG_UNBLOCK);
}

void IgnoreBrokenPipes() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

bool SignalWatcher::Exists(Signal) {
    return true;
}

bool SignalWatcher::EndsSoon(Signal) {
    return false;
}

} // namespace dravo
