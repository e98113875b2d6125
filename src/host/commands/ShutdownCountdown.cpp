// The warned stop's marks.
#include "host/commands/ShutdownCountdown.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr uint32_t MS_PER_SECOND = 1000;

} // namespace

void ShutdownCountdown::Start(uint32_t seconds, std::string reason, uint32_t nowMs) {
    seconds = std::clamp<uint32_t>(seconds, 1, MAX_SHUTDOWN_SECONDS);
    m_Active = true;
    m_StartMs = nowMs;
    m_TotalMs = seconds * MS_PER_SECOND;
    m_Told = seconds + 1; // nothing told yet: the first Advance tells the whole time
    m_Reason = std::move(reason);
}

uint32_t ShutdownCountdown::SecondsLeft(uint32_t nowMs) const {
    const uint32_t elapsed = nowMs - m_StartMs;
    if (!m_Active || elapsed >= m_TotalMs) {
        return 0;
    }
    return (m_TotalMs - elapsed + MS_PER_SECOND - 1) / MS_PER_SECOND; // whole seconds, rounded up
}

ShutdownCountdown::Step ShutdownCountdown::Advance(uint32_t nowMs) {
    Step step;
    if (!m_Active) {
        return step;
    }
    const uint32_t left = SecondsLeft(nowMs);
    if (left == 0) {
        m_Active = false;
        step.m_Finished = true;
        return step;
    }
    if (m_Told > m_TotalMs / MS_PER_SECOND) {
        step.m_Announce = left; // the start
    } else {
        // The smallest mark reached and not told yet; the larger ones it passed over are not worth telling.
        for (const uint32_t mark : MARKS) {
            if (mark >= left && mark < m_Told) {
                step.m_Announce = mark;
            }
        }
    }
    if (step.m_Announce) {
        m_Told = left;
    }
    return step;
}

std::optional<uint32_t> ShutdownCountdown::NextDueIn(uint32_t nowMs) const {
    if (!m_Active) {
        return std::nullopt;
    }
    const uint32_t elapsed = nowMs - m_StartMs;
    if (elapsed >= m_TotalMs) {
        return 0;
    }
    const uint32_t leftMs = m_TotalMs - elapsed;
    uint32_t due = leftMs; // the end
    for (const uint32_t mark : MARKS) {
        const uint32_t markMs = mark * MS_PER_SECOND;
        if (mark < m_Told && markMs < leftMs) {
            due = std::min(due, leftMs - markMs);
        }
    }
    return due;
}

std::string ShutdownWarning(uint32_t secondsLeft, const std::string& reason) {
    std::string text =
        "The server shuts down in " + std::to_string(secondsLeft) + (secondsLeft == 1 ? " second" : " seconds");
    return text + (reason.empty() ? "." : ": " + reason + ".");
}

} // namespace dravo
