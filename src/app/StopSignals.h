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
// ends there and then with STOPPED_EXIT_STATUS. Once hosted, a stop signal
// ends the run within STOP_LIMIT: the normal end (hosting stopped, settings
// saved) takes far less, and should it not be over by then (an engine frame
// that never returns holds the stop), the process says so on standard error and
// ends with STOPPED_EXIT_STATUS, unsaved, or, when the run's end was settled
// before (Settle: the save is done), with the status that end chose. The
// bounds count the time the process runs, not the time it is stopped (Ctrl+Z,
// a frozen cgroup, a paused machine). The watch ends with this object, at
// the very end of the program. Once hosted, the first signal may start a warned
// stop instead (SetWarnedStop: the players are told before the stop, all within
// STOP_LIMIT); every later one closes the window at once. The signal thread calls
// the handler; everything here is safe from any thread.
#pragma once

#include "platform/os/SignalWatcher.h"
#include "window/WindowSystem.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace dravo {

constexpr std::chrono::milliseconds STARTUP_STOP_LIMIT{800};
// From the first stop signal to the end of the program: more than the stop's own bounds together (the
// worker's second, the lists' 6 s, the fleet's 3 s, the save), less than a service manager waits (30 s).
constexpr std::chrono::milliseconds STOP_LIMIT{15000};
constexpr int STOPPED_EXIT_STATUS = 5;

class StopSignals {
public:
    // `exitNow` ends the process without unwinding (std::_Exit); tests give their own, and a shorter limit.
    explicit StopSignals(std::function<void(int)> exitNow = {}, std::chrono::milliseconds stopLimit = STOP_LIMIT);
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
    // The run's end is settled: the configuration is saved (or not) and `status` is what the process
    // ends with. A stop that overruns after this ends with that status.
    void Settle(int status);
    // Once hosted: the first stop signal goes to `warn` (Signal::Terminate or Interrupt), which starts a
    // warned stop without waiting and says whether it did; when it did not, the window closes as before.
    // Any thread; cleared before what `warn` uses goes (no call is under way once ClearWarnedStop returns).
    void SetWarnedStop(std::function<bool(Signal)> warn);
    void ClearWarnedStop() { SetWarnedStop({}); }
    // The handler's work, for the signal thread and for tests.
    void OnStopSignal(Signal signal = Signal::Terminate);

private:
    void Detach(WindowSystem& windows);
    void AskWindows();
    // The watching thread: a start-up that does not take a stop, then a stop that does not end.
    void Watch();
    // Under the lock: true when the program ended in time.
    bool WatchStartup(std::unique_lock<std::mutex>& lock);
    // Under the lock: waits until `done` holds or `limit` of running time has passed; true when it holds.
    bool WaitRunning(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit,
                     const std::function<bool()>& done);

    std::function<void(int)> m_ExitNow;
    const std::chrono::milliseconds m_StopLimit;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    WindowSystem* m_Windows = nullptr;               // guarded by m_Mutex
    std::function<bool(Signal)> m_Warn;              // guarded by m_Mutex
    bool m_Warned = false;                           // a signal went to m_Warn
    bool m_Pending = false;                          // a signal waits for the window system
    bool m_Taken = false;                            // the window thread took a start-up stop
    bool m_Finished = false;                         // the watch ends
    bool m_StopAsked = false;                        // a stop signal came
    std::optional<int> m_Settled;                    // the status of a run whose end is settled
    std::atomic<bool> m_InStartup{true};             // written under m_Mutex
    std::atomic<bool> m_StoppedDuringStartup{false}; // written under m_Mutex
    std::thread m_Watch;                             // from construction to the end
    SignalWatcher m_Watcher;                         // last: it calls in until it is gone
};

} // namespace dravo
