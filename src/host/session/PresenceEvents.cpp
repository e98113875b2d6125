// The presence's counters turned into events.
#include "host/session/PresenceEvents.h"

#include <string>

namespace dravo {

PresenceEvents::Counts PresenceEvents::Read(const PresenceCounters& counters) {
    Counts counts;
    counts.m_Answered = counters.m_QueriesAnswered.load(std::memory_order_relaxed);
    for (const auto& dropped : counters.m_QueriesDropped) {
        counts.m_Dropped += dropped.load(std::memory_order_relaxed);
    }
    counts.m_Heartbeats = counters.m_Heartbeats.load(std::memory_order_relaxed);
    counts.m_Registered = counters.m_RegistrationsAnswered.load(std::memory_order_relaxed);
    counts.m_RegistrationFailed = counters.m_RegistrationsFailed.load(std::memory_order_relaxed);
    return counts;
}

void PresenceEvents::Start(const PresenceCounters& counters, uint32_t /*nowMs*/) {
    m_Last = Read(counters);
    m_InFlood = false;
}

void PresenceEvents::Look(const PresenceCounters& counters, uint32_t nowMs, ConsoleLog& log) {
    const Counts now = Read(counters);
    if (now.m_Heartbeats != m_Last.m_Heartbeats) {
        log.Event(LogEvent{
            std::string(event_name::MASTER_HEARTBEAT), EventLevel::Info, "Heartbeat sent to the GameSpy master server.",
            EventFieldList().Number("heartbeats", static_cast<int64_t>(now.m_Heartbeats)).Take(), false});
    }
    const auto registration = [&](uint64_t count, uint64_t before, bool answered) {
        for (uint64_t n = before; n < count; ++n) {
            log.Event(LogEvent{std::string(event_name::WEB_REGISTRATION),
                               answered ? EventLevel::Info : EventLevel::Warning,
                               answered ? "A web server list took the registration."
                                        : "A web server list did not take the registration.",
                               EventFieldList().Text("result", answered ? "answered" : "failed").Take(), false});
        }
    };
    registration(now.m_Registered, m_Last.m_Registered, true);
    registration(now.m_RegistrationFailed, m_Last.m_RegistrationFailed, false);
    LookAtFlood(now, nowMs, log);
    m_Last = now;
}

void PresenceEvents::LookAtFlood(const Counts& now, uint32_t nowMs, ConsoleLog& log) {
    const bool dropping = now.m_Dropped != m_Last.m_Dropped;
    if (dropping) {
        m_LastDropMs = nowMs;
    }
    if (dropping && !m_InFlood) {
        m_InFlood = true;
        m_FloodStartMs = nowMs;
        m_FloodStart = m_Last;
        log.Event(LogEvent{
            std::string(event_name::QUERY_FLOOD_STARTED), EventLevel::Warning,
            "Queries come faster than they are answered; some are dropped.",
            EventFieldList().Number("dropped", static_cast<int64_t>(now.m_Dropped - m_Last.m_Dropped)).Take(), false});
        return;
    }
    if (m_InFlood && !dropping && nowMs - m_LastDropMs >= FLOOD_QUIET_MS) {
        m_InFlood = false;
        const uint64_t dropped = now.m_Dropped - m_FloodStart.m_Dropped;
        const uint64_t answered = now.m_Answered - m_FloodStart.m_Answered;
        log.Event(LogEvent{std::string(event_name::QUERY_FLOOD_ENDED), EventLevel::Info,
                           "The query flood is over: " + std::to_string(dropped) + " queries dropped, " +
                               std::to_string(answered) + " answered.",
                           EventFieldList()
                               .Number("dropped", static_cast<int64_t>(dropped))
                               .Number("answered", static_cast<int64_t>(answered))
                               .Number("duration_ms", static_cast<int64_t>(m_LastDropMs - m_FloodStartMs))
                               .Take(),
                           false});
    }
}

} // namespace dravo
