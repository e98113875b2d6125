// Per-address allowances, the shared budgets and their shares.
#include "net/query/AnswerRateLimiter.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr int64_t MILLI = 1000;
// Of each budget, the last quarter is kept for browsers.
constexpr int64_t RESERVE_DIVISOR = 4;

// Brings an allowance in thousandths up to date: perSecond thousandths a millisecond make perSecond whole
// ones a second.
void Refill(int64_t& milli, uint32_t elapsedMs, int64_t perSecond, int64_t capacity) {
    const int64_t gained = std::min<int64_t>(int64_t{elapsedMs} * perSecond, capacity);
    milli = std::min(capacity, milli + gained);
}

} // namespace

AnswerRateLimiter::AnswerRateLimiter(const SipHashKey& key, size_t capacity, AddressTimes times)
    : m_Key(key), m_Table(capacity, key, times) {}

void AnswerRateLimiter::SetLimits(const AnswerRateLimits& limits, const SipHashKey& key) {
    m_Limits = limits;
    m_Key = key;
    Clear();
}

void AnswerRateLimiter::Clear() {
    m_Table.Clear(m_Key);
    m_Bytes.Clear();
    m_FullAnswers.Clear();
}

AnswerRateLimiter::Verdict AnswerRateLimiter::Admit(uint32_t address, uint32_t nowMs, bool withPlayers) {
    m_LastAdmitMs = nowMs;
    AddressTable::Entry* entry = nullptr;
    const std::optional<Standing> standing = TakeAllowance(address, nowMs, AddressTable::Sighting::Visit, entry);
    if (!standing) {
        m_LastDropByBudget = false;
        return Verdict::Drop;
    }
    const Verdict wanted = withPlayers && AllowsPlayers(*standing, nowMs) ? Verdict::Full : Verdict::WithoutPlayers;
    // A query the budget drops still costs its address its answer: were it given back, every address of
    // a flood would soon hold a full allowance and pass for one that asks little.
    const Verdict verdict = FitBudget(wanted, *standing, entry, nowMs);
    if (verdict == Verdict::Full && m_Limits.m_GlobalPerSecond != 0) {
        m_FullAnswers.Spend(nowMs, 1);
    }
    return verdict;
}

// The address's allowance brought up to date and one answer taken from it; empty when there is none left.
// Only a visit can make an address a browser; a passing one keeps the standing it has.
std::optional<AnswerRateLimiter::Standing> AnswerRateLimiter::TakeAllowance(uint32_t address, uint32_t nowMs,
                                                                            AddressTable::Sighting sighting,
                                                                            AddressTable::Entry*& entry) {
    if (m_Limits.m_Burst == 0) {
        return Standing::Browser; // no allowances: every address may draw on the whole budgets
    }
    const int64_t capacity = int64_t{m_Limits.m_Burst} * MILLI;
    bool isNew = false;
    entry = &m_Table.See(address, nowMs, isNew, sighting);
    if (isNew) {
        entry->m_AllowanceMilli = capacity;
        entry->m_ReserveMilli = ReserveCapacity();
        entry->m_AllowanceMs = nowMs;
    }
    const uint32_t elapsed = nowMs - entry->m_AllowanceMs;
    entry->m_AllowanceMs = nowMs;
    Refill(entry->m_AllowanceMilli, elapsed, m_Limits.m_PerSecond, capacity);
    Refill(entry->m_ReserveMilli, elapsed, ReserveShare(), ReserveCapacity());
    if (entry->m_AllowanceMilli < MILLI) {
        return std::nullopt;
    }
    // One that came in through a full bucket counts as asking much: a set built against the table's hash
    // never passes for newcomers, however many addresses it has.
    const bool light = entry->m_AllowanceMilli * 2 >= capacity && !entry->m_Crowded;
    entry->m_AllowanceMilli -= MILLI;
    if (!light) {
        return Standing::Heavy; // and never promoted: a browser asks little
    }
    if (sighting == AddressTable::Sighting::Passing) {
        return entry->m_Protected ? Standing::Browser : Standing::Light;
    }
    return m_Table.PromoteLastSeen(nowMs) ? Standing::Browser : Standing::Light;
}

// What of `amount` must be left after an answer to an address of this standing.
int64_t AnswerRateLimiter::Floor(int64_t amount, Standing standing) {
    switch (standing) {
    case Standing::Heavy:
        return amount / 2;
    case Standing::Light:
        return amount / RESERVE_DIVISOR;
    case Standing::Browser:
        break;
    }
    return 0;
}

// One browser's share of the byte reserve, in bytes a second: the reserve over the protected addresses.
int64_t AnswerRateLimiter::ReserveShare() const {
    const int64_t reserve = int64_t{m_Limits.m_GlobalBytesPerSecond} / RESERVE_DIVISOR;
    return reserve / std::max<int64_t>(1, static_cast<int64_t>(m_Table.ProtectedCount()));
}

// A second of the share, but always room for one full answer, in thousandths of a byte.
int64_t AnswerRateLimiter::ReserveCapacity() const {
    return std::max(ReserveShare(), static_cast<int64_t>(m_FullBytes)) * MILLI;
}

bool AnswerRateLimiter::AllowsPlayers(Standing standing, uint32_t nowMs) {
    const int64_t budget = m_Limits.m_GlobalPerSecond;
    return budget == 0 || budget - m_FullAnswers.Spent(nowMs) - 1 >= Floor(budget, standing);
}

AnswerRateLimiter::Verdict AnswerRateLimiter::FitBudget(Verdict wanted, Standing standing, AddressTable::Entry* entry,
                                                        uint32_t nowMs) {
    if (m_Limits.m_GlobalBytesPerSecond == 0) {
        return wanted;
    }
    const int64_t left = int64_t{m_Limits.m_GlobalBytesPerSecond} - m_Bytes.Spent(nowMs);
    if (wanted == Verdict::Full && TakeBudget(left, static_cast<int64_t>(m_FullBytes), standing, entry)) {
        return Verdict::Full;
    }
    if (TakeBudget(left, static_cast<int64_t>(m_ReducedBytes), standing, entry)) {
        return Verdict::WithoutPlayers;
    }
    m_LastDropByBudget = true;
    return Verdict::Drop;
}

// Whether an answer of `cost` bytes fits what is `left` for this standing; what a browser takes from the
// reserve comes out of its share.
bool AnswerRateLimiter::TakeBudget(int64_t left, int64_t cost, Standing standing, AddressTable::Entry* entry) const {
    const int64_t budget = m_Limits.m_GlobalBytesPerSecond;
    const int64_t after = left - cost;
    if (after < Floor(budget, standing)) {
        return false;
    }
    const int64_t fromReserve = std::clamp<int64_t>(budget / RESERVE_DIVISOR - after, 0, cost);
    if (standing != Standing::Browser || entry == nullptr || fromReserve == 0) {
        return true;
    }
    if (entry->m_ReserveMilli < fromReserve * MILLI) {
        return false;
    }
    entry->m_ReserveMilli -= fromReserve * MILLI;
    return true;
}

bool AnswerRateLimiter::AdmitSmall(uint32_t address, uint32_t nowMs, size_t bytes) {
    m_LastAdmitMs = nowMs;
    AddressTable::Entry* entry = nullptr;
    // A challenge is fetched just before the query it is for: the two are one visit, the query's.
    const std::optional<Standing> standing = TakeAllowance(address, nowMs, AddressTable::Sighting::Passing, entry);
    if (!standing) {
        m_LastDropByBudget = false;
        return false;
    }
    const int64_t budget = m_Limits.m_GlobalBytesPerSecond;
    if (budget == 0) {
        return true;
    }
    const auto cost = static_cast<int64_t>(SmallCost(bytes));
    // As for any answer, a small one the budget drops still cost its address its allowance.
    if (!TakeBudget(budget - m_Bytes.Spent(nowMs), cost, *standing, entry)) {
        m_LastDropByBudget = true;
        return false;
    }
    m_Bytes.Spend(nowMs, cost);
    return true;
}

void AnswerRateLimiter::Charge(Verdict verdict, size_t bytes) {
    if (verdict == Verdict::Drop || bytes == 0) {
        return;
    }
    (verdict == Verdict::Full ? m_FullBytes : m_ReducedBytes) = bytes;
    if (m_Limits.m_GlobalBytesPerSecond != 0) {
        m_Bytes.Spend(m_LastAdmitMs, static_cast<int64_t>(bytes));
    }
}

// Spent without being learnt from: the answer costs that admit a query, and the room the browsers' reserve
// keeps for one full answer, stay those of the status answers, which small answers would shrink.
void AnswerRateLimiter::ChargeSmall(Verdict verdict, size_t bytes) {
    if (verdict != Verdict::Drop && bytes != 0 && m_Limits.m_GlobalBytesPerSecond != 0) {
        m_Bytes.Spend(m_LastAdmitMs, static_cast<int64_t>(SmallCost(verdict, bytes)));
    }
}

} // namespace dravo
