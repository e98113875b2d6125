// The sidecar's state and the health gate, with their lines.
#include "services/fleet/SidecarStatus.h"

#include <utility>

namespace dravo {

std::string SidecarStatus::Answered() {
    const State before = std::exchange(m_State, State::Answering);
    if (before == State::Answering) {
        return {};
    }
    return "Agones SDK: the sidecar at " + m_Url + (before == State::Unknown ? " answers." : " answers again.");
}

std::string SidecarStatus::NoAnswer() {
    if (std::exchange(m_State, State::Silent) == State::Silent) {
        return {};
    }
    return "Agones SDK: no answer from the sidecar at " + m_Url + "; trying again with backoff.";
}

std::string SidecarStatus::Refused(std::string_view call, int status) {
    if (std::exchange(m_State, State::Refusing) == State::Refusing) {
        return {};
    }
    return "Agones SDK: the sidecar at " + m_Url + " refused " + std::string(call) + " (HTTP " +
           std::to_string(status) + "); trying again with backoff.";
}

HealthGate::Check HealthGate::Checked(uint64_t steps) {
    Check check;
    const bool moved = !m_Checked || steps != m_Steps;
    m_Checked = true;
    m_Steps = steps;
    check.m_Ping = moved;
    if (!moved && !m_Stalled) {
        m_Stalled = true;
        check.m_Line = "Agones SDK: the game loop has made no progress for " + std::to_string(m_PeriodMs) +
                       " ms; health pings stop until it does.";
    } else if (moved && m_Stalled) {
        m_Stalled = false;
        check.m_Line = "Agones SDK: the game loop makes progress again; health pings resume.";
    }
    return check;
}

} // namespace dravo
