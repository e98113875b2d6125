// AnswerRateLimiter: keeps the query ports from serving as a traffic amplifier.
//
// A spoofed query of a few bytes would bring an answer of kilobytes to its
// victim. Each source address (whatever its port) gets a burst of answers and
// then a steady rate; queries beyond that are dropped unanswered. Above a global
// budget, answers still go out but without the player pairs. The table of
// addresses has a fixed size: when it is full, addresses whose allowance has
// fully come back are forgotten, and a new address that still finds no room is
// dropped. Pure logic: time comes in as milliseconds of the caller's clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace dravo {

struct AnswerRateLimits {
    static constexpr uint32_t DEFAULT_BURST = 10;
    static constexpr uint32_t DEFAULT_PER_SECOND = 1;
    static constexpr uint32_t DEFAULT_GLOBAL_PER_SECOND = 50;

    uint32_t m_Burst = DEFAULT_BURST;                       // answers one address may get at once; 0 = no limit
    uint32_t m_PerSecond = DEFAULT_PER_SECOND;              // answers an address earns back each second
    uint32_t m_GlobalPerSecond = DEFAULT_GLOBAL_PER_SECOND; // full answers a second for everyone; 0 = no limit
};

class AnswerRateLimiter {
public:
    static constexpr size_t MAX_ADDRESSES = 4096;
    static constexpr uint32_t SWEEP_INTERVAL_MS = 100;

    enum class Verdict { Drop, Full, WithoutPlayers };

    explicit AnswerRateLimiter(size_t capacity = MAX_ADDRESSES);

    // Limits for the answers to come; forgets every address.
    void SetLimits(const AnswerRateLimits& limits);
    const AnswerRateLimits& Limits() const { return m_Limits; }
    void Clear();

    // Whether a query from `address` is answered at `nowMs`, and how fully.
    Verdict Admit(uint32_t address, uint32_t nowMs);

    size_t TrackedAddresses() const { return m_Sources.size(); }

private:
    // Allowances in thousandths of an answer, so that slow rates refill smoothly.
    struct Allowance {
        uint64_t m_Milli = 0;
        uint32_t m_LastMs = 0;
    };

    static void Refill(Allowance& allowance, uint32_t nowMs, uint64_t perSecond, uint64_t capacity);
    bool TakeFromSource(uint32_t address, uint32_t nowMs);
    void ForgetRefilled(uint32_t nowMs);

    size_t m_Capacity;
    AnswerRateLimits m_Limits;
    std::unordered_map<uint32_t, Allowance> m_Sources;
    Allowance m_Global;
    bool m_GlobalStarted = false;
    bool m_Swept = false;
    uint32_t m_LastSweepMs = 0;
};

} // namespace dravo
