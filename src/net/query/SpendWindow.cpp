// The one-second window of what was spent.
#include "net/query/SpendWindow.h"

namespace dravo {

void SpendWindow::Clear() {
    m_Slots.fill(0);
    m_Total = 0;
    m_Current = 0;
    m_Started = false;
}

void SpendWindow::Advance(uint32_t nowMs) {
    if (!m_Started) {
        m_Started = true;
        m_CurrentMs = nowMs;
        return;
    }
    const uint32_t steps = (nowMs - m_CurrentMs) / SLOT_MS;
    if (steps >= SLOTS) { // a second or more passed (or the clock went back): nothing counts any more
        m_Slots.fill(0);
        m_Total = 0;
        m_CurrentMs = nowMs;
        return;
    }
    for (uint32_t step = 0; step < steps; ++step) {
        m_Current = (m_Current + 1) % SLOTS;
        m_Total -= m_Slots[m_Current];
        m_Slots[m_Current] = 0;
    }
    m_CurrentMs += steps * SLOT_MS;
}

int64_t SpendWindow::Spent(uint32_t nowMs) {
    Advance(nowMs);
    return m_Total;
}

void SpendWindow::Spend(uint32_t nowMs, int64_t amount) {
    Advance(nowMs);
    m_Slots[m_Current] += amount;
    m_Total += amount;
}

} // namespace dravo
