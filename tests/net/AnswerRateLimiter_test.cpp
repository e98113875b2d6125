// Answer allowances per source address and for everyone.
#include "net/AnswerRateLimiter.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using Verdict = AnswerRateLimiter::Verdict;

constexpr uint32_t ALICE = 0x0A000001;
constexpr uint32_t BOB = 0x0A000002;

int Admitted(AnswerRateLimiter& limiter, uint32_t address, uint32_t now, int queries) {
    int admitted = 0;
    for (int i = 0; i < queries; ++i) {
        admitted += limiter.Admit(address, now) != Verdict::Drop ? 1 : 0;
    }
    return admitted;
}

AnswerRateLimits PerSourceOnly() {
    AnswerRateLimits limits;
    limits.m_GlobalPerSecond = 0;
    limits.m_GlobalBytesPerSecond = 0;
    return limits;
}

TEST(AnswerRateLimiter, ABurstOfTenThenOneASecond) {
    AnswerRateLimiter limiter;
    limiter.SetLimits(PerSourceOnly());
    EXPECT_EQ(Admitted(limiter, ALICE, 1000, 10000), 10);
    EXPECT_EQ(Admitted(limiter, ALICE, 1999, 100), 0); // 999 ms earn back less than one answer
    EXPECT_EQ(Admitted(limiter, ALICE, 2000, 100), 1);
    EXPECT_EQ(Admitted(limiter, ALICE, 2500, 100), 0);
    EXPECT_EQ(Admitted(limiter, ALICE, 4000, 100), 2);
    EXPECT_EQ(Admitted(limiter, ALICE, 60000, 100), 10); // never more than the burst
}

TEST(AnswerRateLimiter, TenThousandQueriesInASecondGetAtMostEleven) {
    AnswerRateLimiter limiter;
    limiter.SetLimits(PerSourceOnly());
    int admitted = 0;
    for (uint32_t i = 0; i < 10000; ++i) {
        admitted += limiter.Admit(ALICE, 5000 + i / 10) != Verdict::Drop ? 1 : 0; // 0 .. 999 ms
    }
    admitted += Admitted(limiter, ALICE, 6000, 1); // the end of the second
    EXPECT_EQ(admitted, 11);
}

TEST(AnswerRateLimiter, AddressesAreLimitedApartAndClearForgetsThem) {
    AnswerRateLimiter limiter;
    limiter.SetLimits(PerSourceOnly());
    EXPECT_EQ(Admitted(limiter, ALICE, 0, 20), 10);
    EXPECT_EQ(Admitted(limiter, BOB, 0, 20), 10);
    EXPECT_EQ(limiter.TrackedAddresses(), 2u);
    limiter.Clear();
    EXPECT_EQ(Admitted(limiter, ALICE, 0, 20), 10);
}

TEST(AnswerRateLimiter, AClockThatWrapsKeepsCounting) {
    AnswerRateLimiter limiter;
    limiter.SetLimits(PerSourceOnly());
    EXPECT_EQ(Admitted(limiter, ALICE, 0xFFFFFF00u, 20), 10);
    EXPECT_EQ(Admitted(limiter, ALICE, 0x00000300u, 20), 1); // 1024 ms later, across the wrap
}

TEST(AnswerRateLimiter, AboveTheGlobalBudgetAnswersLeaveOutPlayers) {
    AnswerRateLimiter limiter;
    AnswerRateLimits limits;
    limits.m_Burst = 0; // no limit per address
    limits.m_GlobalPerSecond = 50;
    limits.m_GlobalBytesPerSecond = 0;
    limiter.SetLimits(limits);
    int full = 0;
    int reduced = 0;
    for (uint32_t address = 1; address <= 80; ++address) {
        const Verdict verdict = limiter.Admit(address, 100);
        full += verdict == Verdict::Full ? 1 : 0;
        reduced += verdict == Verdict::WithoutPlayers ? 1 : 0;
    }
    EXPECT_EQ(full, 50);
    EXPECT_EQ(reduced, 30);
    EXPECT_EQ(limiter.Admit(1, 119), Verdict::WithoutPlayers);
    EXPECT_EQ(limiter.Admit(1, 120), Verdict::Full); // 20 ms bring back one full answer
    EXPECT_EQ(limiter.TrackedAddresses(), 0u);
}

TEST(AnswerRateLimiter, AFullTableMakesRoomAndAnAddressThatComesBackKeepsItsPlace) {
    AnswerRateLimiter limiter(8);
    limiter.SetLimits(PerSourceOnly());
    EXPECT_EQ(Admitted(limiter, ALICE, 0, 2), 2); // seen twice: a browser that comes back
    // A flood of new addresses, far more than the table holds: every one is still answered...
    for (uint32_t address = 100; address < 1100; ++address) {
        ASSERT_EQ(limiter.Admit(address, 1), Verdict::Full) << address;
    }
    EXPECT_EQ(limiter.TrackedAddresses(), 8u);
    // ...and Alice's allowance was not forgotten: 8 left of her burst, where a new start would give 10.
    EXPECT_EQ(Admitted(limiter, ALICE, 2, 100), 8);
}

TEST(AnswerRateLimiter, TheByteBudgetLeavesOutPlayersThenDropsAndKeepsAShareForBrowsers) {
    AnswerRateLimiter limiter;
    AnswerRateLimits limits;
    limits.m_GlobalPerSecond = 0;
    limits.m_GlobalBytesPerSecond = 8000;
    limiter.SetLimits(limits);
    // A browser asks twice first: known and asking little, it is favoured.
    for (int i = 0; i < 2; ++i) {
        const Verdict verdict = limiter.Admit(ALICE, 0);
        ASSERT_EQ(verdict, Verdict::Full);
        limiter.Charge(verdict, 1000);
    }
    // A flood of new addresses spends the budget down to the browsers' quarter: full answers while
    // a full one fits, then answers without players, then nothing.
    size_t full = 0;
    size_t reduced = 0;
    size_t dropped = 0;
    for (uint32_t address = 100; address < 200; ++address) {
        const Verdict verdict = limiter.Admit(address, 0);
        full += verdict == Verdict::Full ? 1 : 0;
        reduced += verdict == Verdict::WithoutPlayers ? 1 : 0;
        dropped += verdict == Verdict::Drop ? 1 : 0;
        limiter.Charge(verdict, verdict == Verdict::Full ? 1000 : 200);
    }
    EXPECT_EQ(full, 4u);    // 6000 bytes were left, 2000 kept back
    EXPECT_EQ(reduced, 0u); // what was left after them was the kept share
    EXPECT_EQ(dropped, 96u);
    // The browser still gets its answers from the kept share.
    EXPECT_EQ(limiter.Admit(ALICE, 0), Verdict::Full);
    limiter.Charge(Verdict::Full, 1000);
    // A flood address is answered again once the budget is back.
    EXPECT_EQ(limiter.Admit(150, 1000), Verdict::Full);
}

// A spoofed flood with the default limits: 2000 addresses asking ten times a second each, a step every
// 9 ms, full answers of 816 bytes and 300 without players. A new address that asks every half second
// from the first second on gets its answers, and the bytes sent stay within the budget.
TEST(AnswerRateLimiter, ANewQuerierIsAnsweredThroughAFloodOfManyAddresses) {
    AnswerRateLimiter limiter;
    limiter.SetLimits(AnswerRateLimits{});
    constexpr uint32_t FLOOD_FIRST = 0x7F000100;
    constexpr uint32_t NEWCOMER = 0x7F00F000;
    constexpr uint32_t STEP_MS = 9;
    constexpr uint32_t PER_STEP = 20000 * STEP_MS / 1000;
    int asked = 0;
    int answered = 0;
    uint64_t bytes = 0;
    uint32_t next = 0;
    for (uint32_t now = 1; now < 8000; now += STEP_MS) {
        for (uint32_t i = 0; i < PER_STEP; ++i) {
            const Verdict verdict = limiter.Admit(FLOOD_FIRST + next, now);
            const size_t size = verdict == Verdict::Full ? 816 : verdict == Verdict::WithoutPlayers ? 300 : 0;
            limiter.Charge(verdict, size);
            bytes += size;
            next = (next + 1) % 2000;
        }
        if (now >= 1000 && asked < 10 && now >= 1000 + static_cast<uint32_t>(asked) * 500) {
            ++asked;
            const Verdict verdict = limiter.Admit(NEWCOMER, now);
            const size_t size = verdict == Verdict::Full ? 816 : verdict == Verdict::WithoutPlayers ? 300 : 0;
            limiter.Charge(verdict, size);
            answered += verdict != Verdict::Drop ? 1 : 0;
        }
    }
    EXPECT_EQ(asked, 10);
    EXPECT_GE(answered, 9);
    // Eight seconds of budget, plus the second's worth the budget starts with.
    EXPECT_LE(bytes, 9u * AnswerRateLimits::DEFAULT_GLOBAL_BYTES_PER_SECOND);
}

} // namespace
} // namespace dravo
