// HangupSignal: turns SIGHUP into a call on a watcher thread (the log file reopens on it).
//
// One instance at a time may watch; while it exists SIGHUP no longer ends the
// process. The destructor puts the previous handling back. It touches no other
// signal, so it lives beside the SIGTERM/SIGINT handling of the headless face.
#pragma once

#include <functional>
#include <thread>

namespace dravo {

class HangupSignal {
public:
    // onHangup runs on the watcher thread, once for every SIGHUP received (close ones may merge).
    explicit HangupSignal(std::function<void()> onHangup);
    ~HangupSignal();
    HangupSignal(const HangupSignal&) = delete;
    HangupSignal& operator=(const HangupSignal&) = delete;

    // False when the signal could not be taken (another instance watches, or the system refused).
    bool IsWatching() const { return m_Watching; }

private:
    void Run();

    std::function<void()> m_OnHangup;
    bool m_Watching = false;
    int m_StopRead = -1;
    int m_StopWrite = -1;
    std::thread m_Thread;
};

} // namespace dravo
