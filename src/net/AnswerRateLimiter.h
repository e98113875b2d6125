// AnswerRateLimiter: keeps the query ports from serving as a traffic amplifier.
//
// A spoofed query of a few bytes would bring an answer of kilobytes to its
// victim. Three limits stand in the way:
//   - each source address (whatever its port) gets a burst of answers and then a
//     steady rate; queries beyond that are dropped unanswered;
//   - above a number of full answers a second for everyone, answers leave out
//     the player pairs;
//   - all answers together stay within a budget of bytes a second: above it,
//     answers leave out the players, then are dropped. A quarter of the budget
//     is kept for the addresses that have come back before and ask little (a
//     server browser refreshing), so that a flood, which drains the rest, does
//     not silence them.
// The table of addresses has a fixed size; a full table makes room by forgetting
// the address seen least recently (see AddressTable), so no address is ever
// turned away for want of room. Pure logic: time comes in as milliseconds of the
// caller's clock; one thread.
#pragma once

#include "net/AddressTable.h"

#include <cstddef>
#include <cstdint>

namespace dravo {

struct AnswerRateLimits {
    static constexpr uint32_t DEFAULT_BURST = 10;
    static constexpr uint32_t DEFAULT_PER_SECOND = 1;
    static constexpr uint32_t DEFAULT_GLOBAL_PER_SECOND = 50;
    // 256 KiB a second (2 Mbit/s): about 320 answers of a 16-player game, 50 of a full 128-player one,
    // far above what browsers and masters ask of a busy server, and a bound on what all spoofed victims
    // together can be sent.
    static constexpr uint32_t DEFAULT_GLOBAL_BYTES_PER_SECOND = 256 * 1024;

    uint32_t m_Burst = DEFAULT_BURST;                       // answers one address may get at once; 0 = no limit
    uint32_t m_PerSecond = DEFAULT_PER_SECOND;              // answers an address earns back each second
    uint32_t m_GlobalPerSecond = DEFAULT_GLOBAL_PER_SECOND; // full answers a second for everyone; 0 = no limit
    uint32_t m_GlobalBytesPerSecond = DEFAULT_GLOBAL_BYTES_PER_SECOND; // all answer bytes a second; 0 = no limit
};

class AnswerRateLimiter {
public:
    static constexpr size_t MAX_ADDRESSES = 4096;

    enum class Verdict { Drop, Full, WithoutPlayers };

    explicit AnswerRateLimiter(size_t capacity = MAX_ADDRESSES);

    // Limits for the answers to come; forgets every address.
    void SetLimits(const AnswerRateLimits& limits);
    const AnswerRateLimits& Limits() const { return m_Limits; }
    void Clear();

    // Whether a query from `address` is answered at `nowMs`, and how fully.
    Verdict Admit(uint32_t address, uint32_t nowMs);
    // What an admitted answer came to: its bytes count against the budget (a little beyond it, at most
    // one answer's worth, when the answer was larger than expected).
    void Charge(Verdict verdict, size_t bytes);

    size_t TrackedAddresses() const { return m_Table.Size(); }
    // The last Drop was for the byte budget, not for its address's allowance.
    bool LastDropByBudget() const { return m_LastDropByBudget; }

private:
    // Allowances in thousandths of an answer (or of a byte), so that slow rates refill smoothly.
    struct Allowance {
        int64_t m_Milli = 0;
        uint32_t m_LastMs = 0;
    };

    static void Refill(int64_t& milli, uint32_t& lastMs, uint32_t nowMs, uint64_t perSecond, uint64_t capacity);
    Verdict FitBudget(Verdict wanted, bool favoured, uint32_t nowMs);

    AnswerRateLimits m_Limits;
    AddressTable m_Table;
    Allowance m_Global;      // full answers
    Allowance m_GlobalBytes; // bytes, in thousandths
    bool m_GlobalStarted = false;
    bool m_LastDropByBudget = false;
    // What answers of each kind came to lately: the cost an answer is admitted at.
    size_t m_FullBytes = 1500;
    size_t m_ReducedBytes = 400;
};

} // namespace dravo
