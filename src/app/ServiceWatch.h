// ServiceWatch: tells the service manager (systemd's notify socket) how the server is: READY=1 once the
// game is hosted and answers queries, STATUS= with the level and the players whenever they change,
// WATCHDOG=1 only while the game loop makes steps, so that a wedged server is restarted, and STOPPING=1
// when the stop begins.
//
// Contract. The window thread calls Ready and Stopping; a thread of its own (from Ready until Stopping
// or the destructor) sends the status and the watchdog's pings. It reads the step counter and snapshots
// of the session's facts, and never takes UpdateLock: a step that hangs holding it stops the pings
// without stopping this thread. Nothing is sent when no notify socket was given.
#pragma once

#include "host/state/SessionFacts.h"
#include "platform/os/ServiceNotify.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace dravo {

// "Level dm1; 3 of 16 players" (the status line the manager shows).
std::string ServiceStatusText(const SessionSnapshot& facts);

class ServiceWatch {
public:
    // How often the status is looked at when there is no watchdog.
    static constexpr std::chrono::milliseconds STATUS_PERIOD{1000};

    // `notify` may be null (not run by a service manager); `watchdog` is WATCHDOG_USEC's interval.
    ServiceWatch(std::unique_ptr<ServiceNotify> notify, std::optional<std::chrono::microseconds> watchdog,
                 SessionFacts& facts);
    ~ServiceWatch();
    ServiceWatch(const ServiceWatch&) = delete;
    ServiceWatch& operator=(const ServiceWatch&) = delete;

    // The game is hosted and its ports answer: READY=1 with the status, and the watch begins.
    void Ready();
    // The stop begins: STOPPING=1; no more pings or status.
    void Stopping();

private:
    // `steps` and `status`: as they were when READY=1 was sent; a change since counts.
    void Run(uint64_t steps, std::string status);
    // The thread: one look at the facts; sends the status when it changed and a ping when steps were made.
    void Look(uint64_t& steps, std::string& status);
    void EndThread();
    // STOPPING=1, once, from whichever thread sees the stop first.
    void SendStopping();

    std::unique_ptr<ServiceNotify> m_Notify;
    std::chrono::microseconds m_Period;
    bool m_Watchdog;
    SessionFacts& m_Facts;
    int m_Listener = 0;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_Changed = false; // guarded by m_Mutex: the facts changed since the last look
    bool m_Stop = false;    // guarded by m_Mutex
    std::atomic<bool> m_SentStopping{false};
    std::thread m_Thread;
};

} // namespace dravo
