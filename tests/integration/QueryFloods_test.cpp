// Query floods of every kind, at a scale that fits a test run, against a status reporter of this process
// on real loopback sockets, with three players and a small byte budget. The reporter runs on a fake clock:
// a flood is two seconds of that clock in steps of 10 ms, each step sending its share of the flood, then
// running the reporter once and taking what came back. A browser that the reporter protected before the
// flood keeps its answers with the players, a newcomer that asks less than the flood is answered, and what
// all addresses together are sent stays within the budget. Game-port floods come in by the road the
// engine hands them over (HandleExternalQuery).
#include "net/ReporterFixture.h"
#include "net/query/A2sPacket.h"
#include "net/query/AddressTable.h"
#include "support/QueryLoad.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace dravo {
namespace {

using test::QueryLoad;
using Clock = QueryLoad::Clock;

constexpr std::string_view STATUS = "\\status\\";
constexpr uint32_t BROWSER = 900000;
constexpr uint32_t NEWCOMER = 900001;
constexpr uint32_t STEP_MS = 10;
constexpr uint32_t FLOOD_MS = 2000;
constexpr uint32_t ASK_EVERY_MS = 400;

// Which source the n-th datagram of a flood comes from, given the seconds since it began.
using Source = std::function<uint32_t(uint64_t n, double seconds)>;

Source Cycle(uint32_t first, uint32_t count, uint32_t repeats = 1) {
    return [=](uint64_t n, double) { return QueryLoad::SourceAddress(first + (n / repeats) % count); };
}

enum class Road { QueryPort, GamePort };

// What came back to whom during a flood.
struct Outcome {
    uint64_t m_Bytes = 0;
    int m_Asked = 0; // by the browser and by the newcomer, each
    int m_Browser = 0;
    int m_BrowserWithPlayers = 0;
    std::set<int> m_Newcomer; // the numbers of its queries that were answered, from 1
};

class QueryFloodTest : public test::ReporterTest {
protected:
    static constexpr int BUDGET = 16384;

    QueryLoad m_Load;

    void SetUp() override {
        ReporterTest::SetUp();
        ASSERT_TRUE(m_Load.IsOpen());
        AnswerRateLimits limits;
        limits.m_GlobalBytesPerSecond = BUDGET;
        Start(limits);
        for (const char* name : {"Ace", "Bob", "Cyd"}) {
            AddPlayer(name, 1, 20);
        }
        // The browser asks, and again two seconds later: from then on the reporter protects it.
        ASSERT_GT(AskAlone(BROWSER), 0u);
        m_Clock.Advance(2000);
        ASSERT_GT(AskAlone(BROWSER), 0u);
        m_Clock.Advance(1000); // the budget's second is behind
    }
    // Sends `query` from `address` by `road`.
    void Send(Road road, std::string_view query, uint32_t address) {
        if (road == Road::QueryPort) {
            ASSERT_TRUE(m_Load.SendFrom(m_Reporter.QueryPort(), query, address));
        } else {
            (void)m_Reporter.HandleExternalQuery(NetPeer{address, m_Load.Port()}, query.data(), query.size());
        }
    }
    // One status query, answered before anything else happens, and the bytes of its answer. Loopback has
    // the query waiting when its send returns; the steps run until the answer is back, within 5 s.
    size_t AskAlone(uint32_t index) {
        size_t bytes = 0;
        m_Load.Send(m_Reporter.QueryPort(), STATUS, index);
        const auto end = Clock::now() + std::chrono::seconds(5);
        while (bytes == 0 && Clock::now() < end) {
            (void)m_Reporter.Process();
            m_Load.ReceiveWaiting(
                [&](uint32_t from, std::string_view data, auto) { bytes += from == index ? data.size() : 0; });
        }
        return bytes;
    }
    // Floods `road` for two seconds of the clock at `rate` while the browser and the newcomer ask there
    // every 400 ms.
    Outcome Flood(Road road, std::string_view query, double rate, const Source& source,
                  const QueryLoad::OnDatagram& watch = {}) {
        Outcome outcome;
        std::set<int> browser;
        auto take = [&](uint32_t index, std::string_view data, QueryLoad::Clock::time_point arrived) {
            if (watch) {
                watch(index, data, arrived);
            }
            outcome.m_Bytes += data.size();
            if (index == BROWSER && browser.insert(outcome.m_Asked).second) {
                outcome.m_BrowserWithPlayers += data.find("\\player_2\\") != std::string_view::npos ? 1 : 0;
            }
            if (index == NEWCOMER) {
                outcome.m_Newcomer.insert(outcome.m_Asked);
            }
        };
        uint64_t sent = 0;
        uint32_t nextAskMs = ASK_EVERY_MS / 2;
        for (uint32_t atMs = 0; atMs < FLOOD_MS; atMs += STEP_MS) {
            m_Clock.Advance(STEP_MS);
            const double elapsed = atMs / 1000.0;
            for (; static_cast<double>(sent) < rate * (elapsed + STEP_MS / 1000.0); ++sent) {
                Send(road, query, source(sent, elapsed));
            }
            if (atMs >= nextAskMs) {
                ++outcome.m_Asked;
                Send(road, STATUS, QueryLoad::SourceAddress(BROWSER));
                Send(road, STATUS, QueryLoad::SourceAddress(NEWCOMER));
                nextAskMs += ASK_EVERY_MS;
            }
            (void)m_Reporter.Process();
            m_Load.ReceiveWaiting(take);
        }
        outcome.m_Browser = static_cast<int>(browser.size());
        return outcome;
    }
    // The browser answered every time with the players, and all answers within the budget: each of the
    // flood's two seconds spends at most BUDGET bytes and one answer beyond it.
    static void ExpectTheBrowserAndTheBudgetHold(const Outcome& outcome) {
        EXPECT_EQ(outcome.m_Asked, 5);
        EXPECT_EQ(outcome.m_Browser, outcome.m_Asked);
        EXPECT_EQ(outcome.m_BrowserWithPlayers, outcome.m_Asked);
        EXPECT_GT(outcome.m_Bytes, 0u);
        EXPECT_LE(outcome.m_Bytes, 2u * (BUDGET + 2000));
    }
};

TEST_F(QueryFloodTest, AManyAddressesAskingTenTimesASecond) {
    const Outcome outcome = Flood(Road::QueryPort, STATUS, 1000, Cycle(1000, 100));
    ExpectTheBrowserAndTheBudgetHold(outcome);
    // In its first half second the flood's addresses still look like newcomers; once they have asked more
    // than half their allowance, the newcomer, which asks less, comes first.
    EXPECT_EQ(outcome.m_Newcomer.count(4), 1u);
    EXPECT_EQ(outcome.m_Newcomer.count(5), 1u);
}

TEST_F(QueryFloodTest, BQueriesLongerThanAQueryMayBeOnTheGamePort) {
    std::string repeated;
    while (repeated.size() + 7 <= 1023) {
        repeated += "\\status";
    }
    const Outcome outcome = Flood(Road::GamePort, repeated, 300, Cycle(2000, 100));
    ExpectTheBrowserAndTheBudgetHold(outcome);
    // The flood gets nothing, so the newcomer is answered each time.
    EXPECT_EQ(outcome.m_Newcomer.size(), 5u);
}

TEST_F(QueryFloodTest, CManyAddressesAskingOnceASecond) {
    ExpectTheBrowserAndTheBudgetHold(Flood(Road::QueryPort, STATUS, 1000, Cycle(3000, 1000)));
}

TEST_F(QueryFloodTest, DAddressesAskingTwiceBackToBackGainNoStatus) {
    ExpectTheBrowserAndTheBudgetHold(Flood(Road::QueryPort, STATUS, 1000, Cycle(5000, 500, 2)));
}

TEST_F(QueryFloodTest, EAddressesChurningOnTheGamePort) {
    // Each second a new half of 1000 addresses: every address asks twice, a second apart.
    const Source churn = [](uint64_t n, double seconds) {
        return QueryLoad::SourceAddress(7000 + static_cast<uint32_t>(seconds) * 500 + static_cast<uint32_t>(n % 1000));
    };
    ExpectTheBrowserAndTheBudgetHold(Flood(Road::GamePort, STATUS, 1000, churn));
}

// A spoofed A2S_INFO flood from 6000 addresses: each gets the challenge and nothing larger (it never sees
// its challenge, so it cannot ask again with it), while the browser keeps its GameSpy answers. The
// challenges are few: each costs the budget as much as a small answer, not its nine bytes, so the flood
// draws no more sends than the same flood of status queries would.
TEST_F(QueryFloodTest, GAnA2sInfoFloodDrawsNoMoreThanTheChallenge) {
    const std::string info = std::string("\xFF\xFF\xFF\xFFT", 5) + std::string(a2s::INFO_PAYLOAD);
    size_t largest = 0;
    size_t flooded = 0;
    auto take = [&](uint32_t index, std::string_view data, auto) {
        if (index != BROWSER && index != NEWCOMER) {
            largest = std::max(largest, data.size());
            ++flooded;
        }
    };
    const Outcome outcome = Flood(Road::QueryPort, info, 3000, Cycle(20000, 6000), take);
    ExpectTheBrowserAndTheBudgetHold(outcome);
    EXPECT_GT(flooded, 0u);
    EXPECT_LE(flooded, 2u * BUDGET / AnswerRateLimiter::SMALL_ANSWER_COST);
    EXPECT_EQ(largest, a2s::CHALLENGE_ANSWER_SIZE);
}

// Flood F: 4000 addresses that all share one bucket of the table, under a key chosen here, against a
// reporter of this process on a real query port. The bucket keeps its eight newest; the browser, in
// another bucket, keeps its place and its answers, and the steps stay as cheap as for any other set.
class CollisionFloodTest : public test::ReporterTest {};

TEST_F(CollisionFloodTest, FAnAddressSetBuiltForOneBucketTouchesNoOtherAddress) {
    const SipHashKey key{0x1111111111111111ULL, 0x2222222222222222ULL};
    QueryReporterOptions options;
    options.m_MasterHostPattern = "%"; // no heartbeats
    options.m_AddressKey = key;
    options.m_Limits.m_GlobalBytesPerSecond = 16384;
    m_Reporter.SetOptions(options);
    ASSERT_TRUE(m_Reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 0, GAME_PORT, 0, 1));
    for (const char* name : {"Ace", "Bob", "Cyd"}) {
        AddPlayer(name, 1, 20);
    }
    const size_t buckets = AddressTable::BucketCount(AnswerRateLimiter::MAX_ADDRESSES);
    const uint32_t browser = QueryLoad::SourceAddress(BROWSER);
    const uint32_t target = (AddressTable::Bucket(key, browser, buckets) + 1) % buckets;
    std::vector<uint32_t> colliding;
    for (uint32_t index = 0; colliding.size() < 4000; ++index) {
        const uint32_t address = QueryLoad::SourceAddress(index);
        if (AddressTable::Bucket(key, address, buckets) == target) {
            colliding.push_back(address);
        }
    }
    QueryLoad load;
    int answered = 0; // the browser's, with the players
    uint64_t floodBytes = 0;
    auto take = [&](uint32_t index, std::string_view data, auto) {
        if (index == BROWSER) {
            answered += data.find("\\player_2\\") != std::string_view::npos ? 1 : 0;
        } else {
            floodBytes += data.size();
        }
    };
    // The browser asks; the steps run until its answer is back.
    auto ask = [&] {
        ASSERT_TRUE(load.SendFrom(m_Reporter.QueryPort(), STATUS, browser));
        const int before = answered;
        const auto end = Clock::now() + std::chrono::seconds(5);
        while (answered == before && Clock::now() < end) {
            (void)m_Reporter.Process();
            load.ReceiveWaiting(take);
        }
    };
    ask();
    m_Clock.Advance(2000);
    ask(); // protected from here on
    ASSERT_EQ(answered, 2);
    // Ten steps of 400 datagrams, 100 ms of the clock apart; the browser asks in every other one.
    for (int step = 0; step < 10; ++step) {
        m_Clock.Advance(100);
        for (int i = 0; i < 400; ++i) {
            ASSERT_TRUE(load.SendFrom(m_Reporter.QueryPort(), STATUS, colliding[(step * 400 + i) % colliding.size()]));
        }
        if (step % 2 == 0) {
            ask();
        }
        (void)m_Reporter.Process();
        load.ReceiveWaiting(take);
    }
    EXPECT_EQ(answered, 2 + 5);
    EXPECT_GT(floodBytes, 0u);
    EXPECT_LE(floodBytes, 16384u + 2000u); // one second of the clock, and one answer beyond
}

} // namespace
} // namespace dravo
