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
      m_Watcher({Signal::Terminate, Signal::Interrupt}, [this](Signal) { OnStopSignal(); }) {}

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

void StopSignals::OnStopSignal() {
    {
        std::scoped_lock lock(m_Mutex);
        m_StopAsked = true;
        if (m_InStartup) {
            m_StoppedDuringStartup = true;
        }
    }
    m_Changed.notify_all();
    AskWindows();
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
    const auto since = std::chrono::steady_clock::now();
    if (m_Changed.wait_for(lock, m_StopLimit, [this] { return m_Finished; })) {
        return;
    }
    // Something the stop waits for does not end (an engine frame that never returns): end without it.
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - since);
    std::cerr << "DravoServ: ERROR - The stop did not end within " << waited.count()
              << " seconds; the program ends now, without saving the configuration." << std::endl;
    m_ExitNow(STOPPED_EXIT_STATUS);
}

bool StopSignals::WatchStartup(std::unique_lock<std::mutex>& lock) {
    if (!m_StoppedDuringStartup) {
        return true;
    }
    if (m_Changed.wait_for(lock, STARTUP_STOP_LIMIT, [this] { return m_Taken || m_Finished || !m_InStartup; })) {
        return !m_Finished;
    }
    // A start-up step blocks the window thread: nothing has been saved, so end here.
    m_ExitNow(STOPPED_EXIT_STATUS);
    return false;
}

} // namespace dravo
