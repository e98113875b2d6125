// SignalWatcher: the process's stop, hangup and resize signals as calls on a thread.
//
// Contract. Whoever needs a signal owns a watcher for it: the faces take
// Terminate and Interrupt, start-up takes Hangup for the log file, the terminal
// face takes Resize. One signal has one owner at a time; a watcher that asks
// for a signal someone else owns takes none and says so (IsWatching). While a
// watcher owns a signal the signal no longer has its default effect; the
// destructor puts the previous handling back. All watchers share one handler,
// one pipe and one thread: the handler only notes the signal, the thread calls
// the owner's function, never two at once. A function must not create or
// destroy watchers. Where the system has no such signal (Hangup and Resize on
// Windows) a watcher asking for it takes nothing.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

namespace dravo {

enum class Signal {
    Terminate, // SIGTERM; closing the console on Windows
    Interrupt, // SIGINT; Ctrl+C
    Hangup,    // SIGHUP
    Resize,    // SIGWINCH: the terminal changed size
};

class SignalWatcher {
public:
    using Handler = std::function<void(Signal)>;

    SignalWatcher(std::initializer_list<Signal> signals, Handler handler);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // True when the watcher owns every signal it asked for.
    bool IsWatching() const { return m_Watching; }
    // Whether this system has the signal at all (Windows has neither Hangup nor Resize).
    static bool Exists(Signal signal);
    // Whether the system ends the process a few seconds after the signal whatever it does (Windows
    // closing the console, logging off or shutting down: about five seconds).
    static bool EndsSoon(Signal signal);

private:
    // Each platform's (SignalWatcher_posix.cpp, _win32.cpp): the process's one watching machinery takes
    // a signal for `handler`, false when someone else owns it or the system has no such signal; and
    // gives it back.
    static bool Take(Signal signal, const Handler* handler);
    static void Give(Signal signal);

    Handler m_Handler; // the watching thread calls it through its address: the watcher does not move
    std::vector<Signal> m_Owned;
    bool m_Watching = false;
};

// Holds the signals back (they wait, pending) from the first instruction of main until their owners
// watch them, so that one that comes early neither ends the program nor is lost; ReleaseSignals lets
// them come, on the calling thread, which should be the one that held them. Threads started in between
// keep them held, so that the signals come to the main thread. Where the system has no such signal,
// nothing to do.
void HoldSignals(std::initializer_list<Signal> signals);
void ReleaseSignals(std::initializer_list<Signal> signals);

// A write to a closed pipe or socket fails with an error instead of ending the process (a log reader
// that quits must not take the server with it). Where the system has no such signal, nothing to do.
void IgnoreBrokenPipes();

} // namespace dravo
