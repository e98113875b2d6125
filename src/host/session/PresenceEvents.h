// PresenceEvents: the internet presence's results as events, read from its counters once a step: each
// heartbeat sent to the master server, each web registration answered or failed, and each query flood as
// one episode - its start when queries begin to go unanswered, its end with the counts once none has been
// dropped for FLOOD_QUIET_MS.
//
// Contract. The worker calls Look from its step; it reads relaxed counters and adds events to the console
// log (which never waits), so the step is never held up. Start forgets the counts of an earlier run.
#pragma once

#include "host/console/ConsoleLog.h"
#include "net/PresenceCounters.h"

#include <cstdint>

namespace dravo {

class PresenceEvents {
public:
    static constexpr uint32_t FLOOD_QUIET_MS = 5000;

    // Takes the counters as they stand as the starting point.
    void Start(const PresenceCounters& counters, uint32_t nowMs);
    void Look(const PresenceCounters& counters, uint32_t nowMs, ConsoleLog& log);

    bool InFlood() const { return m_InFlood; }

private:
    struct Counts {
        uint64_t m_Answered = 0;
        uint64_t m_Dropped = 0;
        uint64_t m_Heartbeats = 0;
        uint64_t m_Registered = 0;
        uint64_t m_RegistrationFailed = 0;
    };
    static Counts Read(const PresenceCounters& counters);
    void LookAtFlood(const Counts& now, uint32_t nowMs, ConsoleLog& log);

    Counts m_Last;
    bool m_InFlood = false;
    uint32_t m_FloodStartMs = 0;
    uint32_t m_LastDropMs = 0;
    Counts m_FloodStart; // the counts as the flood began
};

} // namespace dravo
