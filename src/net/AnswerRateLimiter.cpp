// Per-address allowances, the full-answer rate and the byte budget.
#include "net/AnswerRateLimiter.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr int64_t MILLI = 1000;
// Of the byte budget, this share is kept for the favoured: known addresses that ask little.
constexpr int64_t FAVOURED_SHARE_DIVISOR = 4;

} // namespace

AnswerRateLimiter::AnswerRateLimiter(size_t capacity) : m_Table(capacity) {}

void AnswerRateLimiter::SetLimits(const AnswerRateLimits& limits) {
    m_Limits = limits;
    Clear();
}

void AnswerRateLimiter::Clear() {
    m_Table.Clear();
    m_GlobalStarted = false;
}

void AnswerRateLimiter::Refill(int64_t& milli, uint32_t& lastMs, uint32_t nowMs, uint64_t perSecond,
                               uint64_t capacity) {
    const uint32_t elapsed = nowMs - lastMs;
    lastMs = nowMs;
    // perSecond thousandths per millisecond make perSecond whole ones a second.
    const auto gained = static_cast<int64_t>(std::min<uint64_t>(uint64_t{elapsed} * perSecond, capacity));
    milli = std::min(static_cast<int64_t>(capacity), milli + gained);
}

AnswerRateLimiter::Verdict AnswerRateLimiter::Admit(uint32_t address, uint32_t nowMs) {
    if (!m_GlobalStarted) {
        m_Global = Allowance{static_cast<int64_t>(m_Limits.m_GlobalPerSecond) * MILLI, nowMs};
        m_GlobalBytes = Allowance{static_cast<int64_t>(m_Limits.m_GlobalBytesPerSecond) * MILLI, nowMs};
        m_GlobalStarted = true;
    }
    bool favoured = true;
    if (m_Limits.m_Burst != 0) {
        const uint64_t capacity = uint64_t{m_Limits.m_Burst} * MILLI;
        bool isNew = false;
        AddressTable::Entry* entry = &m_Table.See(address, isNew);
        if (isNew) {
            entry->m_AllowanceMilli = capacity;
            entry->m_LastMs = nowMs;
        }
        auto milli = static_cast<int64_t>(entry->m_AllowanceMilli);
        Refill(milli, entry->m_LastMs, nowMs, m_Limits.m_PerSecond, capacity);
        if (milli < MILLI) {
            entry->m_AllowanceMilli = static_cast<uint64_t>(milli);
            m_LastDropByBudget = false;
            return Verdict::Drop;
        }
        // An address seen before that has used little of its allowance asks as a browser does.
        favoured = entry->m_Protected && static_cast<uint64_t>(milli) * 2 >= capacity;
        entry->m_AllowanceMilli = static_cast<uint64_t>(milli - MILLI);
    }

    Verdict verdict = Verdict::Full;
    if (m_Limits.m_GlobalPerSecond != 0) {
        const uint64_t capacity = uint64_t{m_Limits.m_GlobalPerSecond} * MILLI;
        Refill(m_Global.m_Milli, m_Global.m_LastMs, nowMs, m_Limits.m_GlobalPerSecond, capacity);
        if (m_Global.m_Milli >= MILLI) {
            m_Global.m_Milli -= MILLI;
        } else {
            verdict = Verdict::WithoutPlayers;
        }
    }
    // A query the budget drops still costs its address its answer: were it given back, every address of
    // a flood would soon hold a full allowance and pass for a browser that asks little.
    return FitBudget(verdict, favoured, nowMs);
}

AnswerRateLimiter::Verdict AnswerRateLimiter::FitBudget(Verdict wanted, bool favoured, uint32_t nowMs) {
    if (m_Limits.m_GlobalBytesPerSecond == 0) {
        return wanted;
    }
    const int64_t capacity = int64_t{m_Limits.m_GlobalBytesPerSecond} * MILLI;
    Refill(m_GlobalBytes.m_Milli, m_GlobalBytes.m_LastMs, nowMs, m_Limits.m_GlobalBytesPerSecond,
           static_cast<uint64_t>(capacity));
    // What must be left after the answer: nothing for the favoured, their share for everyone else.
    const int64_t floor = favoured ? 0 : capacity / FAVOURED_SHARE_DIVISOR;
    const int64_t left = m_GlobalBytes.m_Milli - floor;
    if (wanted == Verdict::Full && left >= static_cast<int64_t>(m_FullBytes) * MILLI) {
        return Verdict::Full;
    }
    if (left >= static_cast<int64_t>(m_ReducedBytes) * MILLI) {
        return Verdict::WithoutPlayers;
    }
    m_LastDropByBudget = true;
    return Verdict::Drop;
}

void AnswerRateLimiter::Charge(Verdict verdict, size_t bytes) {
    if (verdict == Verdict::Drop || bytes == 0) {
        return;
    }
    (verdict == Verdict::Full ? m_FullBytes : m_ReducedBytes) = bytes;
    if (m_Limits.m_GlobalBytesPerSecond != 0) {
        m_GlobalBytes.m_Milli -= static_cast<int64_t>(bytes) * MILLI;
    }
}

} // namespace dravo
