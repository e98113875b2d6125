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

TEST(AnswerRateLimiter, AFullTableDropsNewAddressesUntilOldOnesHaveRefilled) {
    AnswerRateLimiter limiter(4);
    limiter.SetLimits(PerSourceOnly());
    for (uint32_t address = 1; address <= 4; ++address) {
        EXPECT_EQ(limiter.Admit(address, 0), Verdict::Full);
    }
    EXPECT_EQ(limiter.Admit(5, 0), Verdict::Drop);
    EXPECT_EQ(limiter.Admit(6, 500), Verdict::Drop);
    EXPECT_EQ(limiter.TrackedAddresses(), 4u);
    // After a second every allowance is whole again: those addresses are forgotten and room is made.
    EXPECT_EQ(limiter.Admit(5, 1000), Verdict::Full);
    EXPECT_EQ(limiter.TrackedAddresses(), 1u);
    // An address that is still owed answers keeps its place.
    AnswerRateLimiter busy(1);
    busy.SetLimits(PerSourceOnly());
    EXPECT_EQ(Admitted(busy, ALICE, 0, 5), 5);
    EXPECT_EQ(busy.Admit(BOB, 2000), Verdict::Drop);
    EXPECT_EQ(Admitted(busy, ALICE, 2000, 20), 7); // 5 left + 2 earned back
}

} // namespace
} // namespace dravo
