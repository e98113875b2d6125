// AnswerRateLimiter: keeps the query ports from serving as a traffic amplifier.
//
// A spoofed query of a few bytes would bring an answer of kilobytes to its
// victim, and nothing in a query protocol without a handshake tells a spoofed
// sender from a real one. Three limits stand in the way:
//   - each source address (whatever its port) gets a burst of answers and then a
//     steady rate; queries beyond that are dropped unanswered. This bounds what
//     one victim address can be sent;
//   - all answers together stay within a budget of bytes a second, and within a
//     number of full answers (with the players) a second: above them, answers
//     leave out the players, then are dropped. This bounds what all victims
//     together can be sent. Both are counted over the last second, so that no
//     second, a flood's first included, sends more than the budget;
//   - the budgets are shared out: an address that has used up more than half its
//     own allowance (or that the table took in through a full bucket, the mark
//     of addresses built to collide) may spend them only down to half; any other down to a
//     quarter; the last quarter is kept for browsers (addresses the table
//     protects: they came back at least 2 s after their first query, asking
//     little; fetching an A2S challenge is no query there) that ask little,
//     each drawing on it no more than its own share of it (the quarter over
//     the protected addresses, at least one answer). A flood therefore cannot
//     silence a browser that was there before it, nor take a newcomer's place
//     by asking more often.
// The table of addresses has a fixed size (see AddressTable); a full table makes
// room by forgetting the address seen least recently, so no address is ever
// turned away for want of room. Pure logic: time comes in as milliseconds of
// the caller's clock; one thread.
#pragma once

#include "net/query/AddressTable.h"
#include "net/query/SipHash.h"
#include "net/query/SpendWindow.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace dravo {

struct AnswerRateLimits {
    static constexpr uint32_t DEFAULT_BURST = 10;
    static constexpr uint32_t DEFAULT_PER_SECOND = 1;
    static constexpr uint32_t DEFAULT_GLOBAL_PER_SECOND = 50;
    // 256 KiB a second (2 Mbit/s): about 300 answers of a 16-player game, 20 of a full 128-player one, far
    // above what browsers and masters ask of a busy server, and a bound on what all spoofed victims
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

    explicit AnswerRateLimiter(const SipHashKey& key, size_t capacity = MAX_ADDRESSES, AddressTimes times = {});

    // Limits for the answers to come, and the table's key; forgets every address.
    void SetLimits(const AnswerRateLimits& limits, const SipHashKey& key);
    const AnswerRateLimits& Limits() const { return m_Limits; }
    void Clear();

    // Whether a query from `address` is answered at `nowMs`, and how fully. An answer that never holds the
    // players (`withPlayers` false) is at most WithoutPlayers and leaves the answers with the players to
    // those that hold them.
    Verdict Admit(uint32_t address, uint32_t nowMs, bool withPlayers = true);
    // What the answer last admitted came to: its bytes count against the budget (a little beyond it, at
    // most one answer's worth, when the answer was larger than expected).
    void Charge(Verdict verdict, size_t bytes);
    // As Charge, for an answer that may be much smaller than the status answers of the same verdict:
    // charged at least as a status answer of its verdict (and SMALL_ANSWER_COST), since a send costs a step
    // about the same whatever its size, so a flood of small answers sends no more datagrams than the same
    // flood of status answers, nor draws more often on the browsers' reserve; and not taken as what
    // answers of its verdict come to.
    void ChargeSmall(Verdict verdict, size_t bytes);
    // Whether an answer of a few bytes (an A2S challenge) goes to `address` at `nowMs`: it takes one answer
    // from the address's allowance, as any answer does, and from the byte budget within the address's
    // standing as much as ChargeSmall charges. Spent when it goes; nothing counts against the answers with
    // the players. It is no visit: an address that fetches challenges and then asks becomes a browser only
    // as one that asks alone does, by asking again 2 s after its first query.
    bool AdmitSmall(uint32_t address, uint32_t nowMs, size_t bytes);
    static constexpr size_t SMALL_ANSWER_COST = 256;

    size_t TrackedAddresses() const { return m_Table.Size(); }
    // The last Drop was for the budgets everyone shares, not for its address's allowance.
    bool LastDropByBudget() const { return m_LastDropByBudget; }

private:
    // How an address may draw on the budgets.
    enum class Standing {
        Heavy,   // has used more than half its allowance: down to half of a budget
        Light,   // asks little: down to the reserved quarter
        Browser, // protected and asks little: into the reserve, within its share
    };

    std::optional<Standing> TakeAllowance(uint32_t address, uint32_t nowMs, AddressTable::Sighting sighting,
                                          AddressTable::Entry*& entry);
    static int64_t Floor(int64_t amount, Standing standing);
    int64_t ReserveShare() const;
    int64_t ReserveCapacity() const;
    bool AllowsPlayers(Standing standing, uint32_t nowMs);
    Verdict FitBudget(Verdict wanted, Standing standing, AddressTable::Entry* entry, uint32_t nowMs);
    bool TakeBudget(int64_t left, int64_t cost, Standing standing, AddressTable::Entry* entry) const;
    size_t SmallCost(size_t bytes) const { return std::max({bytes, m_ReducedBytes, SMALL_ANSWER_COST}); }
    size_t SmallCost(Verdict verdict, size_t bytes) const {
        return verdict == Verdict::Full ? std::max(bytes, m_FullBytes) : SmallCost(bytes);
    }

    AnswerRateLimits m_Limits;
    SipHashKey m_Key;
    AddressTable m_Table;
    SpendWindow m_Bytes;       // answer bytes
    SpendWindow m_FullAnswers; // answers with the players
    uint32_t m_LastAdmitMs = 0;
    bool m_LastDropByBudget = false;
    // What answers of each kind came to lately: the cost an answer is admitted at.
    size_t m_FullBytes = 1500;
    size_t m_ReducedBytes = 400;
};

} // namespace dravo
