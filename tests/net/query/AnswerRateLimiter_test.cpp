// Answer allowances per source address and for everyone, and how the budgets are shared out.
#include "net/query/AnswerRateLimiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace dravo {
namespace {

using Verdict = AnswerRateLimiter::Verdict;

constexpr uint32_t ALICE = 0x0A000001;
constexpr uint32_t BOB = 0x0A000002;
const SipHashKey KEY{0x0123456789abcdefULL, 0xfedcba9876543210ULL};

int Admitted(AnswerRateLimiter& limiter, uint32_t address, uint32_t now, int queries) {
    int admitted = 0;
    for (int i = 0; i < queries; ++i) {
        admitted += limiter.Admit(address, now) != Verdict::Drop ? 1 : 0;
    }
    return admitted;
}

// Admits and charges what an answer of that kind comes to.
Verdict Answer(AnswerRateLimiter& limiter, uint32_t address, uint32_t now, size_t fullBytes = 1000,
               size_t reducedBytes = 200) {
    const Verdict verdict = limiter.Admit(address, now);
    limiter.Charge(verdict, verdict == Verdict::Full             ? fullBytes
                            : verdict == Verdict::WithoutPlayers ? reducedBytes
                                                                 : 0);
    return verdict;
}

AnswerRateLimits PerSourceOnly() {
    AnswerRateLimits limits;
    limits.m_GlobalPerSecond = 0;
    limits.m_GlobalBytesPerSecond = 0;
    return limits;
}

AnswerRateLimits BytesOnly(uint32_t bytes) {
    AnswerRateLimits limits;
    limits.m_GlobalPerSecond = 0;
    limits.m_GlobalBytesPerSecond = bytes;
    return limits;
}

// Makes `address` a browser: seen, then seen again two seconds later.
void Protect(AnswerRateLimiter& limiter, uint32_t address, uint32_t& now) {
    ASSERT_NE(Answer(limiter, address, now), Verdict::Drop);
    now += 2000;
    ASSERT_NE(Answer(limiter, address, now), Verdict::Drop);
}

TEST(AnswerRateLimiter, ABurstOfTenThenOneASecond) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(PerSourceOnly(), KEY);
    EXPECT_EQ(Admitted(limiter, ALICE, 1000, 10000), 10);
    EXPECT_EQ(Admitted(limiter, ALICE, 1999, 100), 0); // 999 ms earn back less than one answer
    EXPECT_EQ(Admitted(limiter, ALICE, 2000, 100), 1);
    EXPECT_EQ(Admitted(limiter, ALICE, 2500, 100), 0);
    EXPECT_EQ(Admitted(limiter, ALICE, 4000, 100), 2);
    EXPECT_EQ(Admitted(limiter, ALICE, 60000, 100), 10); // never more than the burst
}

TEST(AnswerRateLimiter, TenThousandQueriesInASecondGetAtMostEleven) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(PerSourceOnly(), KEY);
    int admitted = 0;
    for (uint32_t i = 0; i < 10000; ++i) {
        admitted += limiter.Admit(ALICE, 5000 + i / 10) != Verdict::Drop ? 1 : 0; // 0 .. 999 ms
    }
    admitted += Admitted(limiter, ALICE, 6000, 1); // the end of the second
    EXPECT_EQ(admitted, 11);
}

TEST(AnswerRateLimiter, AddressesAreLimitedApartAndClearForgetsThem) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(PerSourceOnly(), KEY);
    EXPECT_EQ(Admitted(limiter, ALICE, 0, 20), 10);
    EXPECT_EQ(Admitted(limiter, BOB, 0, 20), 10);
    EXPECT_EQ(limiter.TrackedAddresses(), 2u);
    limiter.Clear();
    EXPECT_EQ(Admitted(limiter, ALICE, 0, 20), 10);
}

TEST(AnswerRateLimiter, AClockThatWrapsKeepsCounting) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(PerSourceOnly(), KEY);
    EXPECT_EQ(Admitted(limiter, ALICE, 0xFFFFFF00u, 20), 10);
    EXPECT_EQ(Admitted(limiter, ALICE, 0x00000300u, 20), 1); // 1024 ms later, across the wrap
}

TEST(AnswerRateLimiter, AboveTheGlobalRateAnswersLeaveOutPlayersButBrowsersKeepAQuarter) {
    AnswerRateLimiter limiter(KEY);
    AnswerRateLimits limits = BytesOnly(0);
    limits.m_GlobalPerSecond = 40;
    limiter.SetLimits(limits, KEY);
    uint32_t now = 100;
    Protect(limiter, ALICE, now);
    // Strangers that ask little take full answers down to the quarter kept for browsers.
    int full = 0;
    int reduced = 0;
    for (uint32_t address = 1000; address < 1080; ++address) {
        const Verdict verdict = limiter.Admit(address, now);
        full += verdict == Verdict::Full ? 1 : 0;
        reduced += verdict == Verdict::WithoutPlayers ? 1 : 0;
    }
    EXPECT_EQ(full, 29); // 40 a second, Alice's latest among them, ten kept back
    EXPECT_EQ(reduced, 51);
    // The browser still lists the players, from the quarter: ten answers of it.
    EXPECT_EQ(limiter.Admit(ALICE, now), Verdict::Full);
    EXPECT_EQ(limiter.Admit(1000, now + 999), Verdict::WithoutPlayers);
    EXPECT_EQ(limiter.Admit(1001, now + 1010), Verdict::Full); // the second has passed
}

TEST(AnswerRateLimiter, AnAddressThatAsksMuchSpendsTheBytesOnlyDownToHalf) {
    AnswerRateLimiter limiter(KEY);
    AnswerRateLimits limits = BytesOnly(10000);
    limits.m_Burst = 20;
    limiter.SetLimits(limits, KEY);
    // Eleven answers of a burst of twenty: after them Alice has used more than half of her allowance.
    for (int i = 0; i < 11; ++i) {
        ASSERT_EQ(Answer(limiter, ALICE, 0, 500), Verdict::Full) << i;
    }
    // 5500 bytes spent: she may not go below half, although her allowance holds nine more.
    EXPECT_EQ(Answer(limiter, ALICE, 0, 500), Verdict::Drop);
    // Newcomers that ask little may spend what she may not, down to the last quarter.
    for (uint32_t address = 100; address < 104; ++address) {
        EXPECT_EQ(Answer(limiter, address, 0, 500), Verdict::Full) << address;
    }
    EXPECT_EQ(Answer(limiter, 104, 0, 500), Verdict::Drop);
}

TEST(AnswerRateLimiter, TheByteBudgetLeavesOutPlayersThenDropsAndKeepsAQuarterForBrowsers) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(BytesOnly(8000), KEY);
    uint32_t now = 0;
    Protect(limiter, ALICE, now);
    // A flood of new addresses spends the budget down to the browsers' quarter: full answers while a full
    // one fits, then answers without players, then nothing.
    size_t full = 0;
    size_t reduced = 0;
    size_t dropped = 0;
    for (uint32_t address = 100; address < 200; ++address) {
        const Verdict verdict = Answer(limiter, address, now);
        full += verdict == Verdict::Full ? 1 : 0;
        reduced += verdict == Verdict::WithoutPlayers ? 1 : 0;
        dropped += verdict == Verdict::Drop ? 1 : 0;
    }
    EXPECT_EQ(full, 5u);    // 7000 bytes were left after Alice's second, 2000 kept back
    EXPECT_EQ(reduced, 0u); // what was left after them was the kept quarter
    EXPECT_EQ(dropped, 95u);
    // The browser still gets its answers from the kept quarter.
    EXPECT_EQ(Answer(limiter, ALICE, now), Verdict::Full);
    // A flood address is answered again once the second has passed.
    EXPECT_EQ(Answer(limiter, 150, now + 1000), Verdict::Full);
}

TEST(AnswerRateLimiter, BrowsersShareTheReserveAndNoneTakesMoreThanItsShare) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(BytesOnly(8000), KEY);
    uint32_t now = 0;
    Protect(limiter, ALICE, now);
    Protect(limiter, BOB, now);
    // Strangers spend all they may: 2000 bytes are left, the browsers' quarter.
    for (uint32_t address = 100; address < 120; ++address) {
        (void)Answer(limiter, address, now, 250, 250);
    }
    // Each of the two browsers may draw half of it, 1000 bytes a second; answers of 400 bytes.
    int alice = 0;
    for (int i = 0; i < 5; ++i) {
        alice += Answer(limiter, ALICE, now, 400, 400) != Verdict::Drop ? 1 : 0;
    }
    EXPECT_EQ(alice, 2); // her share; a third would take Bob's
    int bob = 0;
    for (int i = 0; i < 5; ++i) {
        bob += Answer(limiter, BOB, now, 400, 400) != Verdict::Drop ? 1 : 0;
    }
    EXPECT_EQ(bob, 2);
}

TEST(AnswerRateLimiter, AddressesThatKeepAskingMuchNeverBecomeBrowsersNorThinTheReserve) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(BytesOnly(8000), KEY);
    uint32_t now = 0;
    Protect(limiter, ALICE, now);
    // A hundred addresses ask ten times a second for three seconds: they keep coming back, but asking much.
    for (uint32_t at = now; at < now + 3000; at += 100) {
        for (uint32_t address = 100; address < 200; ++address) {
            (void)Answer(limiter, address, at, 250, 250);
        }
    }
    now += 3000;
    // Strangers spend what they may; Alice's share of the quarter, 2000 bytes, is still all of it.
    for (uint32_t address = 1000; address < 1040; ++address) {
        (void)Answer(limiter, address, now, 250, 250);
    }
    int alice = 0;
    for (int i = 0; i < 6; ++i) {
        alice += Answer(limiter, ALICE, now, 400, 400) != Verdict::Drop ? 1 : 0;
    }
    EXPECT_EQ(alice, 5); // answers of 400 bytes; had the hundred been taken for browsers, her share would be 20
}

TEST(AnswerRateLimiter, NewcomersThroughAFullBucketCountAsAskingMuch) {
    AnswerRateLimiter limiter(KEY, 64);
    limiter.SetLimits(BytesOnly(10000), KEY);
    // Addresses that all fall into one bucket: each newcomer after the eighth pushes out another.
    std::vector<uint32_t> colliding;
    for (uint32_t address = 0x0A000001; colliding.size() < 40; ++address) {
        if (AddressTable::Bucket(KEY, address, AddressTable::BucketCount(64)) == 3) {
            colliding.push_back(address);
        }
    }
    int answered = 0;
    for (const uint32_t address : colliding) {
        answered += Answer(limiter, address, 0, 500, 500) != Verdict::Drop ? 1 : 0;
    }
    EXPECT_EQ(answered, 10); // the eight that had room, down to a quarter; the rest only down to half
    // A newcomer elsewhere still finds the part they could not take.
    EXPECT_EQ(Answer(limiter, 0x0B000001, 0, 500, 500), Verdict::Full);
}

TEST(AnswerRateLimiter, TheFirstSecondOfAFloodGetsOneSecondsBudgetAfterAQuietHour) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(BytesOnly(8000), KEY);
    (void)Answer(limiter, ALICE, 0);
    uint64_t bytes = 0;
    uint32_t address = 1000;
    for (uint32_t now = 3600000; now < 3601000; now += 10) {
        for (int i = 0; i < 10; ++i) {
            const Verdict verdict = limiter.Admit(address++, now);
            const size_t size = verdict == Verdict::Full ? 1000 : verdict == Verdict::WithoutPlayers ? 200 : 0;
            limiter.Charge(verdict, size);
            bytes += size;
        }
    }
    EXPECT_LE(bytes, 8000u);
    EXPECT_GE(bytes, 6000u - 200u); // all but the browsers' quarter, within one answer
}

// A spoofed flood with the default limits: 2000 addresses asking ten times a second each, a step every
// 9 ms, full answers of 816 bytes and 300 without players. A new address that asks every half second
// from the first second on gets its answers, and the bytes sent stay within the budget.
TEST(AnswerRateLimiter, ANewQuerierIsAnsweredThroughAFloodOfManyAddresses) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(AnswerRateLimits{}, KEY);
    constexpr uint32_t FLOOD_FIRST = 0x7F000100;
    constexpr uint32_t NEWCOMER = 0x7F00F000;
    constexpr uint32_t STEP_MS = 9;
    constexpr uint32_t PER_STEP = 20000 * STEP_MS / 1000;
    int asked = 0;
    int answered = 0;
    uint64_t bytes = 0;
    uint32_t next = 0;
    uint32_t now = 1;
    for (; now < 8000; now += STEP_MS) {
        for (uint32_t i = 0; i < PER_STEP; ++i) {
            const Verdict verdict = limiter.Admit(FLOOD_FIRST + next, now);
            const size_t size = verdict == Verdict::Full ? 816 : verdict == Verdict::WithoutPlayers ? 300 : 0;
            limiter.Charge(verdict, size);
            bytes += size;
            next = (next + 1) % 2000;
        }
        if (now >= 1000 && asked < 10 && now >= 1000 + static_cast<uint32_t>(asked) * 500) {
            ++asked;
            answered += Answer(limiter, NEWCOMER, now, 816, 300) != Verdict::Drop ? 1 : 0;
        }
    }
    EXPECT_EQ(asked, 10);
    // All but perhaps the first, at 1000 ms: until then the budget's second holds what the flood spent in
    // its first half second, while its addresses still looked new.
    EXPECT_GE(answered, 9);
    // Eight seconds of budget, the first included: nothing saved before the flood adds to it.
    EXPECT_LE(bytes, 8u * AnswerRateLimits::DEFAULT_GLOBAL_BYTES_PER_SECOND);
}

// An A2S challenge is small, but it is an answer: it takes one from its address's allowance, so that
// mixed with answers, an address gets its burst and no more, and a refused one is the address's doing.
TEST(AnswerRateLimiter, ChallengesTakeFromTheAllowanceAsAnswersDo) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(AnswerRateLimits{}, KEY);
    int admitted = 0;
    for (int i = 0; i < 20; ++i) {
        admitted += limiter.AdmitSmall(ALICE, 1000, 9) ? 1 : 0;
        admitted += Answer(limiter, ALICE, 1000) != Verdict::Drop ? 1 : 0;
    }
    EXPECT_EQ(admitted, 10);
    EXPECT_FALSE(limiter.AdmitSmall(ALICE, 1999, 9));
    EXPECT_FALSE(limiter.LastDropByBudget());
    EXPECT_TRUE(limiter.AdmitSmall(ALICE, 2000, 9));
    EXPECT_FALSE(limiter.AdmitSmall(ALICE, 2000, 9));
    EXPECT_TRUE(limiter.AdmitSmall(BOB, 2000, 9)); // each address its own
}

// The same spoofed flood, 2000 addresses asking ten times a second each for eight seconds, once for
// challenges and once for answers: the challenges cost fewer bytes and no more sends (charged at their
// nine bytes they would go out by the thousand a second, where the budget holds answers to a few hundred).
TEST(AnswerRateLimiter, AFloodOfChallengeRequestsCostsNoMoreThanOneOfQueries) {
    AnswerRateLimiter challenges(KEY);
    AnswerRateLimiter answers(KEY);
    challenges.SetLimits(AnswerRateLimits{}, KEY);
    answers.SetLimits(AnswerRateLimits{}, KEY);
    constexpr uint32_t FLOOD_FIRST = 0x7F000100;
    constexpr uint32_t STEP_MS = 9;
    constexpr uint32_t PER_STEP = 20000 * STEP_MS / 1000;
    constexpr size_t CHALLENGE_BYTES = 9;
    uint64_t challengeBytes = 0;
    uint64_t answerBytes = 0;
    int challenged = 0;
    int answered = 0;
    uint32_t next = 0;
    for (uint32_t now = 1; now < 8000; now += STEP_MS) {
        for (uint32_t i = 0; i < PER_STEP; ++i) {
            if (challenges.AdmitSmall(FLOOD_FIRST + next, now, CHALLENGE_BYTES)) {
                ++challenged;
                challengeBytes += CHALLENGE_BYTES;
            }
            const Verdict verdict = Answer(answers, FLOOD_FIRST + next, now, 816, 300);
            answered += verdict != Verdict::Drop ? 1 : 0;
            answerBytes += verdict == Verdict::Full ? 816 : verdict == Verdict::WithoutPlayers ? 300 : 0;
            next = (next + 1) % 2000;
        }
    }
    EXPECT_LE(challengeBytes, answerBytes);
    EXPECT_LE(challenged, answered);
    EXPECT_GT(challenged, 0);
}

// Hundred-byte answers charged as small go out no more often than the same flood's status answers.
TEST(AnswerRateLimiter, SmallAnswersGoOutNoMoreOftenThanStatusAnswers) {
    AnswerRateLimiter small(KEY);
    AnswerRateLimiter status(KEY);
    small.SetLimits(AnswerRateLimits{}, KEY);
    status.SetLimits(AnswerRateLimits{}, KEY);
    int smallSent = 0;
    int statusSent = 0;
    for (uint32_t now = 1, next = 0; now < 8000; now += 9) {
        for (uint32_t i = 0; i < 180; ++i, next = (next + 1) % 2000) {
            const Verdict verdict = small.Admit(0x7F000100 + next, now);
            small.ChargeSmall(verdict, verdict == Verdict::Drop ? 0 : 100);
            smallSent += verdict != Verdict::Drop ? 1 : 0;
            statusSent += Answer(status, 0x7F000100 + next, now, 816, 300) != Verdict::Drop ? 1 : 0;
        }
    }
    EXPECT_LE(smallSent, statusSent);
    EXPECT_GT(smallSent, statusSent / 2);
}

// Small answers with the players cost as much as the status answers with them (1000), and teach nothing.
TEST(AnswerRateLimiter, SmallAnswersWithThePlayersCostAsStatusAnswersWithThem) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(BytesOnly(4000), KEY);
    ASSERT_EQ(Answer(limiter, ALICE, 0, 1000), Verdict::Full);
    std::vector<Verdict> verdicts;
    for (uint32_t address = 0x7F000100; address < 0x7F000120; ++address) {
        verdicts.push_back(limiter.Admit(address, 2000));
        limiter.ChargeSmall(verdicts.back(), verdicts.back() == Verdict::Drop ? 0 : 100);
    }
    EXPECT_EQ(std::count(verdicts.begin(), verdicts.end(), Verdict::Full), 3); // 4000 down to the quarter
    EXPECT_EQ(verdicts[3], Verdict::Drop);
}

// Answers that never hold the players leave the few full answers a second to queries that want them.
TEST(AnswerRateLimiter, AnswersWithoutPlayersLeaveTheFullAnswersToOthers) {
    AnswerRateLimiter limiter(KEY);
    AnswerRateLimits limits = PerSourceOnly();
    limits.m_GlobalPerSecond = 2;
    limiter.SetLimits(limits, KEY);
    for (uint32_t address = 0x7F000100; address < 0x7F000110; ++address) {
        EXPECT_EQ(limiter.Admit(address, 10, false), Verdict::WithoutPlayers);
    }
    EXPECT_EQ(limiter.Admit(ALICE, 10), Verdict::Full);
}

// A challenge costs at least SMALL_ANSWER_COST, however small the answers have lately been.
TEST(AnswerRateLimiter, ChallengesCostAtLeastAFloorWhateverTheAnswersCameTo) {
    AnswerRateLimiter limiter(KEY);
    constexpr uint32_t BUDGET = 64 * 1024;
    AnswerRateLimits limits = BytesOnly(BUDGET);
    limits.m_GlobalPerSecond = 1; // the rest without the players
    limiter.SetLimits(limits, KEY);
    uint32_t address = 0x7F000100;
    for (int i = 0; i < 50; ++i) {
        Answer(limiter, address++, 10, 40, 20); // tiny answers teach the limiter that answers are small
    }
    int challenged = 0;
    for (int i = 0; i < 10000; ++i) {
        challenged += limiter.AdmitSmall(address++, 10, 9) ? 1 : 0;
    }
    // Newcomers spend the budget down to its reserved quarter; the answers took 1,020 bytes of it.
    const auto most = static_cast<int>((BUDGET * 3 / 4 - 1020) / AnswerRateLimiter::SMALL_ANSWER_COST);
    EXPECT_EQ(challenged, most);
}

} // namespace
} // namespace dravo
