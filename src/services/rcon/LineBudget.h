// LineBudget: at most a few log lines of one kind in a period; the rest are counted, and one summary line
// at the period's end says how many were left out. Pure logic: time comes in as milliseconds of the
// caller's steady clock; one thread.
#pragma once

#include <cstdint>
#include <optional>

namespace dravo {

class LineBudget {
public:
    LineBudget(uint32_t linesPerPeriod, uint64_t periodMs) : m_Lines(linesPerPeriod), m_PeriodMs(periodMs) {}

    // Whether a line may be written now; false counts it as left out.
    bool Take(uint64_t nowMs) {
        if (!m_Running || nowMs - m_PeriodStart >= m_PeriodMs) {
            if (m_LeftOut > 0) {
                m_Due = m_LeftOut; // the summary of the period before, not yet taken
            }
            m_Running = true;
            m_PeriodStart = nowMs;
            m_Used = 0;
            m_LeftOut = 0;
        }
        if (m_Used < m_Lines) {
            ++m_Used;
            return true;
        }
        ++m_LeftOut;
        return false;
    }
    // The count of lines left out in periods that have ended, once, for the summary line; 0 when none.
    uint64_t TakeLeftOut(uint64_t nowMs) {
        if (m_Running && nowMs - m_PeriodStart >= m_PeriodMs) {
            m_Due += m_LeftOut;
            m_LeftOut = 0;
            m_Running = false;
        }
        const uint64_t due = m_Due;
        m_Due = 0;
        return due;
    }
    // Milliseconds until a summary is due; nothing when none will be.
    std::optional<uint64_t> SummaryDueInMs(uint64_t nowMs) const {
        if (m_Due > 0) {
            return 0;
        }
        if (m_LeftOut == 0) {
            return std::nullopt;
        }
        const uint64_t end = m_PeriodStart + m_PeriodMs;
        return end > nowMs ? end - nowMs : 0;
    }

private:
    uint32_t m_Lines;
    uint64_t m_PeriodMs;
    bool m_Running = false;
    uint64_t m_PeriodStart = 0;
    uint32_t m_Used = 0;
    uint64_t m_LeftOut = 0; // in the running period
    uint64_t m_Due = 0;     // from ended periods, not yet summarised
};

} // namespace dravo
