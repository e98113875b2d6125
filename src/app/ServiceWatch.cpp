// The service manager's status and watchdog.
#include "app/ServiceWatch.h"

#include <algorithm>

namespace dravo {

std::string ServiceStatusText(const SessionSnapshot& facts) {
    const std::string level = facts.m_Level.empty() ? std::string("(none)") : facts.m_Level;
    return "Level " + level + "; " + std::to_string(facts.m_Players.size()) + " of " +
           std::to_string(facts.m_Game.m_MaxPlayers) + " players";
}

ServiceWatch::ServiceWatch(std::unique_ptr<ServiceNotify> notify, std::optional<std::chrono::microseconds> watchdog,
                           SessionFacts& facts)
    : m_Notify(std::move(notify)),
      // Pinged at half the interval, as the manager asks, so that one late look is no missed ping.
      m_Period(watchdog ? std::max(*watchdog / 2, std::chrono::microseconds(1000))
                        : std::chrono::duration_cast<std::chrono::microseconds>(STATUS_PERIOD)),
      m_Watchdog(watchdog.has_value()), m_Facts(facts) {}

ServiceWatch::~ServiceWatch() {
    EndThread();
}

void ServiceWatch::Ready() {
    if (!m_Notify || m_Thread.joinable() || m_SentStopping) {
        return;
    }
    const uint64_t steps = m_Facts.Steps();
    const std::string status = ServiceStatusText(m_Facts.Snapshot());
    (void)m_Notify->Send("READY=1\nSTATUS=" + status);
    m_Listener = m_Facts.AddListener([this] {
        {
            std::scoped_lock lock(m_Mutex);
            m_Changed = true;
        }
        m_Wake.notify_all();
    });
    m_Thread = std::thread([this, steps, status] { Run(steps, status); });
}

void ServiceWatch::Stopping() {
    if (!m_Notify) {
        return;
    }
    EndThread();
    SendStopping();
}

void ServiceWatch::SendStopping() {
    if (!m_SentStopping.exchange(true)) {
        (void)m_Notify->Send("STOPPING=1\nSTATUS=Stopping");
    }
}

void ServiceWatch::EndThread() {
    {
        std::scoped_lock lock(m_Mutex);
        m_Stop = true;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable()) {
        m_Thread.join();
    }
    if (m_Listener != 0) {
        m_Facts.RemoveListener(m_Listener);
        m_Listener = 0;
    }
}

void ServiceWatch::Run(uint64_t steps, std::string status) {
    auto nextPing = std::chrono::steady_clock::now() + m_Period;
    std::unique_lock lock(m_Mutex);
    while (!m_Stop) {
        m_Wake.wait_until(lock, nextPing, [this] { return m_Stop || m_Changed; });
        if (m_Stop) {
            break;
        }
        const bool due = std::chrono::steady_clock::now() >= nextPing;
        m_Changed = false;
        lock.unlock();
        if (m_Facts.Snapshot().m_Phase == HostingPhase::Ended) {
            SendStopping(); // the stop has begun: no more pings
            return;
        }
        if (due) {
            Look(steps, status);
            nextPing = std::chrono::steady_clock::now() + m_Period;
        } else {
            uint64_t unchanged = m_Facts.Steps(); // a change of the facts is no step
            Look(unchanged, status);
        }
        lock.lock();
    }
}

void ServiceWatch::Look(uint64_t& steps, std::string& status) {
    std::string message;
    const std::string now = ServiceStatusText(m_Facts.Snapshot());
    if (now != status) {
        status = now;
        message = "STATUS=" + now;
    }
    const uint64_t made = m_Facts.Steps();
    if (m_Watchdog && made != steps) {
        message += message.empty() ? "WATCHDOG=1" : "\nWATCHDOG=1";
    }
    steps = made;
    if (!message.empty()) {
        (void)m_Notify->Send(message);
    }
}

} // namespace dravo
