// Counting an Allocated server's time without players.
#include "services/fleet/AllocatedEmpty.h"

#include <algorithm>
#include <cctype>

namespace dravo {

std::optional<EmptyAction> ReadEmptyAction(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "shutdown") {
        return EmptyAction::Shutdown;
    }
    if (lower == "ready") {
        return EmptyAction::Ready;
    }
    return std::nullopt;
}

bool AllocatedEmptyTimer::Due(bool allocated, bool empty) {
    if (m_Options.m_DelayMs == 0 || !allocated || !empty) {
        Restart();
        return false;
    }
    const uint32_t now = m_Clock.NowMs();
    if (!m_Since) {
        m_Since = now;
    }
    if (m_Fired || now - *m_Since < m_Options.m_DelayMs) {
        return false;
    }
    m_Fired = true;
    return true;
}

std::optional<uint32_t> AllocatedEmptyTimer::Left() const {
    if (!m_Since || m_Fired) {
        return std::nullopt;
    }
    const uint32_t gone = m_Clock.NowMs() - *m_Since;
    return gone < m_Options.m_DelayMs ? m_Options.m_DelayMs - gone : 0;
}

std::string AllocatedEmptyTimer::Line() const {
    const uint32_t seconds = m_Options.m_DelayMs / 1000;
    return "Agones SDK: the game server has been Allocated without players for " + std::to_string(seconds) +
           (seconds == 1 ? " second; " : " seconds; ") +
           (m_Options.m_Action == EmptyAction::Shutdown ? "shutting down." : "it is Ready again.");
}

} // namespace dravo
