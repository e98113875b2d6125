// Console control events as signals: Ctrl+C and Ctrl+Break are Interrupt; closing the console, logging off
// and shutting down are Terminate. Windows has no Hangup and no Resize.
//
// The system calls the control handler on a thread of its own. For the closing events it ends the process
// as soon as the handler returns, so the handler waits there (up to the system's own bound of a few
// seconds) until the owner's watcher is gone, which is when the program has shut down and saved.
#include "platform/os/SignalWatcher.h"

#include <windows.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace dravo {
namespace {

constexpr auto CLOSE_WAIT = std::chrono::seconds(20); // the system ends the process sooner

size_t IndexOf(Signal signal) {
    return static_cast<size_t>(signal);
}

bool SignalExists(Signal signal) {
    return signal == Signal::Terminate || signal == Signal::Interrupt;
}

BOOL WINAPI OnControlEvent(DWORD event);

class Hub {
public:
    static Hub& Instance() {
        static Hub hub;
        return hub;
    }

    bool Take(Signal signal, const SignalWatcher::Handler* handler) {
        std::scoped_lock lock(m_Mutex);
        if (!SignalExists(signal) || m_Owners[IndexOf(signal)] != nullptr) {
            return false;
        }
        if (m_Owned == 0 && SetConsoleCtrlHandler(&OnControlEvent, TRUE) == 0) {
            return false;
        }
        m_Owners[IndexOf(signal)] = handler;
        ++m_Owned;
        return true;
    }

    void Give(Signal signal) {
        {
            std::scoped_lock lock(m_Mutex);
            if (m_Owners[IndexOf(signal)] == nullptr) {
                return;
            }
            m_Owners[IndexOf(signal)] = nullptr;
            if (--m_Owned == 0) {
                SetConsoleCtrlHandler(&OnControlEvent, FALSE);
            }
            ++m_Releases;
        }
        m_Released.notify_all();
    }

    // On the system's thread: true when an owner took the event.
    bool Deliver(DWORD event) {
        const bool closing = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
        const Signal signal = closing ? Signal::Terminate : Signal::Interrupt;
        std::unique_lock lock(m_Mutex);
        const SignalWatcher::Handler* owner = m_Owners[IndexOf(signal)];
        if (owner == nullptr) {
            return false; // the system's default: the process ends
        }
        (*owner)(signal);
        if (closing) {
            // Returning would end the process before the program has saved: wait for the owner to go.
            const uint64_t releases = m_Releases;
            m_Released.wait_for(lock, CLOSE_WAIT, [&] { return m_Releases != releases; });
        }
        return true;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Released;
    std::array<const SignalWatcher::Handler*, 4> m_Owners{};
    int m_Owned = 0;
    uint64_t m_Releases = 0;
};

BOOL WINAPI OnControlEvent(DWORD event) {
    return Hub::Instance().Deliver(event) ? TRUE : FALSE;
}

} // namespace

bool SignalWatcher::Take(Signal signal, const Handler* handler) {
    return Hub::Instance().Take(signal, handler);
}

void SignalWatcher::Give(Signal signal) {
    Hub::Instance().Give(signal);
}

bool SignalWatcher::Exists(Signal signal) {
    return SignalExists(signal);
}

bool SignalWatcher::EndsSoon(Signal signal) {
    return signal == Signal::Terminate; // the console closes, the user logs off or Windows shuts down
}

// The console's control events come to a thread of the system's once a watcher takes them; before that
// the system's own handling applies, which nothing here can hold back.
void HoldSignals(std::initializer_list<Signal> /*signals*/) {}

void ReleaseSignals(std::initializer_list<Signal> /*signals*/) {}

void IgnoreBrokenPipes() {
    // Windows has no such signal: a write to a closed pipe fails with an error.
}

} // namespace dravo
