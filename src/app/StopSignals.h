// StopSignals: what SIGTERM and SIGINT do (Ctrl+C and closing the console on Windows).
//
// Contract. main creates it before the face, so that nothing else takes the
// signals, and attaches the window system once there is one, for as long as the
// attachment lives (it must end before the face does). A signal asks the
// window system to close its running dialog, as the window's close box does (a
// second one ends the dialog outright), so that a hosted game shuts down in order
// and saves. Before the game is hosted (EndStartup) a signal also ends start-up:
// the program stops without saving, and when the window thread does not take the
// request within STARTUP_STOP_LIMIT (a start-up step that blocks), the process
// ends there and then with STOPPED_EXIT_STATUS. The signal thread calls the
// handler; everything here is safe from any thread.
#pragma once

#include "platform/SignalWatcher.h"
#include "platform/window/WindowSystem.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace dravo {

constexpr std::chrono::milliseconds STARTUP_STOP_LIMIT{800};
constexpr int STOPPED_EXIT_STATUS = 5;

class StopSignals {
public:
    // `exitNow` ends the process without unwinding (std::_Exit); tests give their own.
    explicit StopSignals(std::function<void(int)> exitNow = {});
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // While it lives, close requests go to one window system; ending it detaches that window system,
    // after which no request reaches it (one under way is finished first).
    class Attachment {
    public:
        ~Attachment() { m_Stops.Detach(m_Windows); }
        Attachment(const Attachment&) = delete;
        Attachment& operator=(const Attachment&) = delete;

    private:
        friend class StopSignals;
        Attachment(StopSignals& stops, WindowSystem& windows) : m_Stops(stops), m_Windows(windows) {}

        StopSignals& m_Stops;
        WindowSystem& m_Windows;
    };

    // Where close requests go until the attachment ends; a signal that came before, or while no
    // window system was attached, is passed on now.
    [[nodiscard]] Attachment Attach(WindowSystem& windows);
    // The game is hosted: from now on a signal only closes the window.
    void EndStartup();
    // A signal came before the game was hosted: start-up must end without saving.
    bool StoppedDuringStartup() const { return m_StoppedDuringStartup; }
    // The handler's work, for the signal thread and for tests.
    void OnStopSignal();

private:
    void Detach(WindowSystem& windows);
    void AskWindows();
    void WatchStartup();

    std::function<void(int)> m_ExitNow;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    WindowSystem* m_Windows = nullptr;               // guarded by m_Mutex
    bool m_Pending = false;                          // a signal waits for the window system
    bool m_Taken = false;                            // the window thread took a start-up stop
    bool m_Finished = false;                         // the watch ends
    std::atomic<bool> m_InStartup{true};             // written under m_Mutex
    std::atomic<bool> m_StoppedDuringStartup{false}; // written under m_Mutex
    std::thread m_Watch;                             // from construction until start-up ends (or the end)
    SignalWatcher m_Watcher;                         // last: it calls in until it is gone
};

} // namespace dravo
