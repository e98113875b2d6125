// A flood from addresses that fetched their A2S challenges beforehand, then ask for answers with them, played
// against the limiter on its default limits and table, step by step as the query loop admits them: the
// browser that was there before the flood keeps its answers with the players, as it does through the same
// flood of GameSpy queries. The clock is the step's milliseconds.
#include "net/query/AnswerRateLimiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace dravo {
namespace {

using Verdict = AnswerRateLimiter::Verdict;

const SipHashKey KEY{0x0123456789abcdefULL, 0xfedcba9876543210ULL};
constexpr uint32_t BROWSER = 0x0A000001;
constexpr uint32_t FLOOD_FIRST = 0x7F010000;
constexpr uint32_t STEP_MS = 9;
// What the answers of a 16-player game come to: the status answers, then the A2S ones.
constexpr size_t STATUS_FULL = 845;
constexpr size_t STATUS_REDUCED = 330;
constexpr size_t CHALLENGE = 9;
constexpr size_t A2S_INFO = 90;
constexpr size_t A2S_PLAYERS = 300;
constexpr size_t A2S_RULES = 400;

// A "\status\" query answered and charged as the reporter does; true when it held the players.
bool AskStatus(AnswerRateLimiter& limiter, uint32_t address, uint32_t now) {
    const Verdict verdict = limiter.Admit(address, now);
    limiter.Charge(verdict, verdict == Verdict::Full ? STATUS_FULL : STATUS_REDUCED);
    return verdict == Verdict::Full;
}

// The n-th A2S request with its challenge: info, players and rules in turn, each charged as the reporter
// charges it (a players request that would go without the players gets nothing).
void AskA2s(AnswerRateLimiter& limiter, uint32_t address, uint32_t now, uint64_t n) {
    switch (n % 3) {
    case 0:
        limiter.ChargeSmall(limiter.Admit(address, now, false), A2S_INFO);
        break;
    case 1:
        if (const Verdict verdict = limiter.Admit(address, now, true); verdict == Verdict::Full) {
            limiter.ChargeSmall(verdict, A2S_PLAYERS);
        }
        break;
    default:
        limiter.ChargeSmall(limiter.Admit(address, now, false), A2S_RULES);
        break;
    }
}

// Every one of `addresses` fetches its challenge, `perSecond` of them a second in a scrambled order, again
// for those refused, in rounds, as a client that receives at its address does. Returns the time after.
uint32_t FetchChallenges(AnswerRateLimiter& limiter, std::vector<uint32_t> addresses, uint32_t now,
                         uint32_t perSecond) {
    std::mt19937 order(7);
    std::shuffle(addresses.begin(), addresses.end(), order);
    for (int round = 0; round < 4 && !addresses.empty(); ++round) {
        std::vector<uint32_t> refused;
        for (size_t i = 0; i < addresses.size(); ++i) {
            const auto at = now + static_cast<uint32_t>(i * 1000 / perSecond);
            if (!limiter.AdmitSmall(addresses[i], at, CHALLENGE)) {
                refused.push_back(addresses[i]);
            }
        }
        now += static_cast<uint32_t>(addresses.size() * 1000 / perSecond) + 500;
        addresses = refused;
    }
    return now;
}

struct FloodShape {
    uint32_t m_Addresses = 0; // asking in turn, each once in m_Addresses / m_PerSecond seconds
    uint32_t m_PerSecond = 0;
    uint32_t m_Repeat = 1; // each address sends this many back to back
};

// The browser's answers with the players, of ten "\status\" queries 0.7 s apart, through 8 s of `shape`
// from addresses that fetched their challenges first (or not at all).
int BrowserFullAnswers(const FloodShape& shape, bool fetchFirst) {
    AnswerRateLimiter limiter(KEY);
    limiter.SetLimits(AnswerRateLimits{}, KEY);
    // The browser asks twice, 2.5 s apart, and is protected from then on.
    EXPECT_TRUE(AskStatus(limiter, BROWSER, 0));
    EXPECT_TRUE(AskStatus(limiter, BROWSER, 2500));
    std::vector<uint32_t> flood(shape.m_Addresses);
    for (uint32_t i = 0; i < shape.m_Addresses; ++i) {
        flood[i] = FLOOD_FIRST + i;
    }
    uint32_t now = 3000;
    if (fetchFirst) {
        now = FetchChallenges(limiter, flood, now, 600) + 3000;
    }
    const uint32_t start = now;
    uint64_t sent = 0;
    int full = 0;
    int asked = 0;
    for (; now - start < 8000; now += STEP_MS) {
        const uint64_t due = uint64_t{now - start + STEP_MS} * shape.m_PerSecond / 1000;
        for (; sent < due; ++sent) {
            const uint32_t address = flood[(sent / shape.m_Repeat) % shape.m_Addresses];
            AskA2s(limiter, address, now, sent);
        }
        if (asked < 10 && now - start >= 1000 + 700 * static_cast<uint32_t>(asked)) {
            full += AskStatus(limiter, BROWSER, now) ? 1 : 0;
            ++asked;
        }
    }
    EXPECT_EQ(asked, 10);
    return full;
}

// 6000 addresses at one request a second each: more than the table holds, so none of them is seen again
// while it is still known, however long ago it fetched its challenge.
TEST(ChallengeFlood, AFloodAtOneASecondFromSixThousandAddressesLeavesTheBrowserItsPlayers) {
    EXPECT_GE(BrowserFullAnswers({6000, 6000, 1}, true), 9);
}

// Each address sending two requests back to back, and 2000 addresses sending ten a second each.
TEST(ChallengeFlood, PairedAndHeavyFloodsLeaveTheBrowserItsPlayers) {
    EXPECT_GE(BrowserFullAnswers({6000, 6000, 2}, true), 9);
    EXPECT_GE(BrowserFullAnswers({2000, 20000, 1}, true), 9);
}

// The same floods without the challenges fetched first leave the browser as much: fetching one is no
// visit that makes an address a returning browser.
TEST(ChallengeFlood, FetchingTheChallengesFirstGivesTheFloodNothing) {
    EXPECT_EQ(BrowserFullAnswers({6000, 6000, 1}, true), BrowserFullAnswers({6000, 6000, 1}, false));
    EXPECT_EQ(BrowserFullAnswers({2000, 20000, 1}, true), BrowserFullAnswers({2000, 20000, 1}, false));
}

} // namespace
} // namespace dravo
