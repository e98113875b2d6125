// TerminationSignals: turns SIGTERM and SIGINT into a call on a watcher thread, so that the program
// can shut down in order instead of dying. One instance at a time may watch; while it exists the
// signals no longer end the process. The destructor puts the previous handling back.
#pragma once

#include <functional>
#include <thread>

namespace dravo {

class TerminationSignals {
public:
    // onSignal runs on the watcher thread, once for every signal received.
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the signals could not be taken (another instance watches, or the system refused).
    bool IsWatching() const { return m_Watching; }

private:
    void Run();

    std::function<void()> m_OnSignal;
    bool m_Watching = false;
    int m_StopRead = -1;
    int m_StopWrite = -1;
    std::thread m_Thread;
};

} // namespace dravo
