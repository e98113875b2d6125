// EmptyExitCountdown: the time a new player has to join once the last one left.
//
// Plain data without a lock of its own: the session guards it with UpdateLock.
#pragma once

#include <cstdint>

namespace dravo {

class EmptyExitCountdown {
public:
    void Arm(uint32_t milliseconds) {
        m_Armed = true;
        m_RemainingMs = milliseconds;
    }
    void Disarm() { m_Armed = false; }
    bool IsArmed() const { return m_Armed; }

    // Counts a step's delta off; true once, at the step that finds the time used up (the countdown
    // then disarms itself, so one close request is enough).
    bool Advance(uint32_t deltaMs) {
        if (!m_Armed) {
            return false;
        }
        m_RemainingMs = deltaMs >= m_RemainingMs ? 0 : m_RemainingMs - deltaMs;
        if (m_RemainingMs != 0) {
            return false;
        }
        m_Armed = false;
        return true;
    }

private:
    bool m_Armed = false;
    uint32_t m_RemainingMs = 0;
};

} // namespace dravo
