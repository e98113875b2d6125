// Per-address and global answer allowances.
#include "net/AnswerRateLimiter.h"

#include <algorithm>
#include <iterator>

namespace dravo {
namespace {

constexpr uint64_t MILLI = 1000;

} // namespace

AnswerRateLimiter::AnswerRateLimiter(size_t capacity) : m_Capacity(capacity) {
    m_Sources.reserve(m_Capacity); // never rehashes, never grows past the capacity
}

void AnswerRateLimiter::SetLimits(const AnswerRateLimits& limits) {
    m_Limits = limits;
    Clear();
}

void AnswerRateLimiter::Clear() {
    m_Sources.clear();
    m_GlobalStarted = false;
    m_Swept = false;
}

void AnswerRateLimiter::Refill(Allowance& allowance, uint32_t nowMs, uint64_t perSecond, uint64_t capacity) {
    const uint32_t elapsed = nowMs - allowance.m_LastMs;
    allowance.m_LastMs = nowMs;
    // perSecond thousandths of an answer per millisecond make perSecond answers a second.
    allowance.m_Milli = std::min(capacity, allowance.m_Milli + static_cast<uint64_t>(elapsed) * perSecond);
}

AnswerRateLimiter::Verdict AnswerRateLimiter::Admit(uint32_t address, uint32_t nowMs) {
    if (m_Limits.m_Burst != 0 && !TakeFromSource(address, nowMs)) {
        return Verdict::Drop;
    }
    if (m_Limits.m_GlobalPerSecond == 0) {
        return Verdict::Full;
    }
    const uint64_t capacity = m_Limits.m_GlobalPerSecond * MILLI;
    if (!m_GlobalStarted) {
        m_Global = Allowance{capacity, nowMs};
        m_GlobalStarted = true;
    }
    Refill(m_Global, nowMs, m_Limits.m_GlobalPerSecond, capacity);
    if (m_Global.m_Milli < MILLI) {
        return Verdict::WithoutPlayers;
    }
    m_Global.m_Milli -= MILLI;
    return Verdict::Full;
}

bool AnswerRateLimiter::TakeFromSource(uint32_t address, uint32_t nowMs) {
    const uint64_t capacity = m_Limits.m_Burst * MILLI;
    auto found = m_Sources.find(address);
    if (found == m_Sources.end()) {
        if (m_Sources.size() >= m_Capacity) {
            // A flood from ever new addresses finds the table full: sweep it only now and then.
            if (!m_Swept || nowMs - m_LastSweepMs >= SWEEP_INTERVAL_MS) {
                ForgetRefilled(nowMs);
                m_Swept = true;
                m_LastSweepMs = nowMs;
            }
            if (m_Sources.size() >= m_Capacity) {
                return false;
            }
        }
        found = m_Sources.emplace(address, Allowance{capacity, nowMs}).first;
    }
    Allowance& allowance = found->second;
    Refill(allowance, nowMs, m_Limits.m_PerSecond, capacity);
    if (allowance.m_Milli < MILLI) {
        return false;
    }
    allowance.m_Milli -= MILLI;
    return true;
}

void AnswerRateLimiter::ForgetRefilled(uint32_t nowMs) {
    const uint64_t capacity = m_Limits.m_Burst * MILLI;
    for (auto entry = m_Sources.begin(); entry != m_Sources.end();) {
        Refill(entry->second, nowMs, m_Limits.m_PerSecond, capacity);
        // A full allowance is what a new address starts with: forgetting it changes nothing.
        entry = entry->second.m_Milli >= capacity ? m_Sources.erase(entry) : std::next(entry);
    }
}

} // namespace dravo
