// Stop signals: a close request for the window system, and a bounded end of start-up.
#include "app/StopSignals.h"

#include <cstdlib>
#include <iostream>
#include <utility>

namespace dravo {

StopSignals::StopSignals(std::function<void(int)> exitNow, std::chrono::milliseconds stopLimit)
    : m_ExitNow(exitNow ? std::move(exitNow) : [](int status) { std::_Exit(status); }), m_StopLimit(stopLimit),
      // Started now: a thread cannot be started while a start-up step holds the loader's lock.
      m_Watch([this] { Watch(); }),
      m_Watcher({Signal::Terminate, Signal::Interrupt}, [this](Signal signal) { OnStopSignal(signal); }) {}

StopSignals::~StopSignals() {
    {
        std::scoped_lock lock(m_Mutex);
        m_Finished = true;
        m_Windows = nullptr;
    }
    m_Changed.notify_all();
    if (m_Watch.joinable()) {
        m_Watch.join();
    }
}

StopSignals::Attachment StopSignals::Attach(WindowSystem& windows) {
    bool pending = false;
    {
        std::scoped_lock lock(m_Mutex);
        m_Windows = &windows;
        pending = std::exchange(m_Pending, false);
    }
    if (pending) {
        AskWindows();
    }
    return Attachment(*this, windows);
}

void StopSignals::Detach(WindowSystem& windows) {
    // Under the lock that AskWindows holds while it calls the window system: once this returns, no
    // call is under way and none can start.
    std::scoped_lock lock(m_Mutex);
    if (m_Windows == &windows) {
        m_Windows = nullptr;
    }
}

void StopSignals::EndStartup() {
    {
        std::scoped_lock lock(m_Mutex);
        m_InStartup = false;
    }
    m_Changed.notify_all();
}

void StopSignals::Settle(int status) {
    std::scoped_lock lock(m_Mutex);
    m_Settled = status;
}

void StopSignals::SetWarnedStop(std::function<bool(Signal)> warn) {
    std::scoped_lock lock(m_Mutex);
    m_Warn = std::move(warn);
}

void StopSignals::OnStopSignal(Signal signal) {
    bool warned = false;
    {
        std::scoped_lock lock(m_Mutex);
        m_StopAsked = true;
        if (m_InStartup) {
            m_StoppedDuringStartup = true;
        } else if (m_Warn && !m_Warned) {
            // Only the first: a second signal during the countdown stops at once. `warn` never waits.
            m_Warned = true;
            warned = m_Warn(signal);
        }
    }
    m_Changed.notify_all();
    if (!warned) {
        AskWindows();
    }
}

void StopSignals::AskWindows() {
    std::scoped_lock lock(m_Mutex);
    if (m_Windows == nullptr) {
        m_Pending = true;
        return;
    }
    // When the window thread runs this, it is free to end start-up in order. Queued before the close
    // request, so that it runs even when the request ends the last dialog.
    m_Windows->Post([this] {
        {
            std::scoped_lock taken(m_Mutex);
            m_Taken = true;
        }
        m_Changed.notify_all();
    });
    m_Windows->RequestClose();
}

void StopSignals::Watch() {
    std::unique_lock lock(m_Mutex);
    m_Changed.wait(lock, [this] { return m_Finished || m_StopAsked; });
    if (m_Finished || !WatchStartup(lock)) {
        return;
    }
    if (WaitRunning(lock, m_StopLimit, [this] { return m_Finished; })) {
        return;
    }
    // Something the stop waits for does not end (an engine frame that never returns): end without it.
    const auto limit = std::chrono::duration_cast<std::chrono::seconds>(m_StopLimit);
    std::cerr << "DravoServ: ERROR - The stop did not end within " << limit.count()
              << " seconds; the program ends now, "
              << (m_Settled && *m_Settled == 0 ? "its configuration saved." : "without saving the configuration.")
              << std::endl;
    m_ExitNow(m_Settled.value_or(STOPPED_EXIT_STATUS));
}

bool StopSignals::WatchStartup(std::unique_lock<std::mutex>& lock) {
    if (!m_StoppedDuringStartup) {
        return true;
    }
    if (WaitRunning(lock, STARTUP_STOP_LIMIT, [this] { return m_Taken || m_Finished || !m_InStartup; })) {
        return !m_Finished;
    }
    // A start-up step blocks the window thread: nothing has been saved, so end here.
    m_ExitNow(STOPPED_EXIT_STATUS);
    return false;
}

bool StopSignals::WaitRunning(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit,
                              const std::function<bool()>& done) {
    // Waited a slice at a time: a slice that took far longer than asked is time the process did not run
    // (it was stopped, or its machine paused), and counts as one slice.
    constexpr std::chrono::milliseconds SLICE{100};
    std::chrono::steady_clock::duration counted{0};
    while (counted < limit) {
        const auto before = std::chrono::steady_clock::now();
        if (m_Changed.wait_for(lock, std::min<std::chrono::steady_clock::duration>(SLICE, limit - counted), done)) {
            return true;
        }
        counted += std::min<std::chrono::steady_clock::duration>(std::chrono::steady_clock::now() - before, 2 * SLICE);
    }
    return done();
}

} // namespace dravo
