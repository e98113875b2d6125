// Query floods of every kind, at a scale that fits a test run: against the real dravoserv with three
// players and a small byte budget, a browser that the server protected before the flood keeps its
// answers with the players, a newcomer that asks less than the flood is answered, and what all addresses
// together are sent stays within the budget. The flood built against the address table's hash runs
// against a reporter of this process, whose key the test chooses.
#include "integration/PresenceFixture.h"
#include "net/ReporterFixture.h"
#include "net/query/AddressTable.h"
#include "support/QueryLoad.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <thread>

namespace dravo {
namespace {

using test::QueryLoad;
using Clock = QueryLoad::Clock;

constexpr std::string_view STATUS = "\\status\\";
constexpr uint32_t BROWSER = 900000;
constexpr uint32_t NEWCOMER = 900001;
constexpr auto ASK_EVERY = std::chrono::milliseconds(400);

// Which source the n-th datagram of a flood comes from, given the seconds since it began.
using Source = std::function<uint32_t(uint64_t n, double seconds)>;

Source Cycle(uint32_t first, uint32_t count, uint32_t repeats = 1) {
    return [=](uint64_t n, double) { return QueryLoad::SourceAddress(first + (n / repeats) % count); };
}

// What came back to whom during a flood.
struct Outcome {
    uint64_t m_Bytes = 0;
    int m_Asked = 0; // by the browser and by the newcomer, each
    int m_Browser = 0;
    int m_BrowserWithPlayers = 0;
    std::set<int> m_Newcomer; // the numbers of its queries that were answered, from 1
};

class QueryFloodTest : public test::PresenceTest {
protected:
    static constexpr int BUDGET = 16384;

    QueryLoad m_Load;
    std::unique_ptr<test::LiveProcess> m_Server;
    std::unique_ptr<test::LiveProcess> m_Bots;

    void SetUp() override {
        PresenceTest::SetUp();
        Configure({{"SpyGlobalBytes", std::to_string(BUDGET)}});
        m_Server = StartServer();
        m_Bots = StartBots("Ace,Bob,Cyd", 60);
        ASSERT_TRUE(m_Server->WaitForOutput("Cyd joined the game.")) << m_Server->Output();
        // The browser asks, and again two seconds later: from then on the server protects it.
        ASSERT_GT(Ask(BROWSER), 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        ASSERT_GT(Ask(BROWSER), 0u);
    }
    void TearDown() override {
        m_Server->WriteLine("/shutdown");
        EXPECT_EQ(m_Server->Wait(), 0) << m_Server->Errors();
    }
    // One status query and the bytes of its answer.
    size_t Ask(uint32_t index) {
        size_t bytes = 0;
        m_Load.Send(QueryPort(), STATUS, index);
        m_Load.Receive(Clock::now() + std::chrono::milliseconds(500),
                       [&](uint32_t from, std::string_view data, auto) { bytes += from == index ? data.size() : 0; });
        return bytes;
    }
    // Floods `port` for two seconds at `rate` while the browser and the newcomer ask there every 400 ms.
    Outcome Flood(uint16_t port, std::string_view query, double rate, const Source& source) {
        Outcome outcome;
        std::set<int> browser;
        auto take = [&](uint32_t index, std::string_view data, auto) {
            outcome.m_Bytes += data.size();
            if (index == BROWSER && browser.insert(outcome.m_Asked).second) {
                outcome.m_BrowserWithPlayers += data.find("\\player_2\\") != std::string_view::npos ? 1 : 0;
            }
            if (index == NEWCOMER) {
                outcome.m_Newcomer.insert(outcome.m_Asked);
            }
        };
        const auto start = Clock::now();
        auto nextAsk = start + ASK_EVERY / 2;
        uint64_t sent = 0;
        for (auto tick = start; tick < start + std::chrono::seconds(2); tick += std::chrono::milliseconds(2)) {
            const double elapsed = std::chrono::duration<double>(tick - start).count();
            for (; static_cast<double>(sent) < rate * elapsed; ++sent) {
                m_Load.SendFrom(port, query, source(sent, elapsed));
            }
            if (tick >= nextAsk) {
                ++outcome.m_Asked;
                m_Load.Send(port, STATUS, BROWSER);
                m_Load.Send(port, STATUS, NEWCOMER);
                nextAsk += ASK_EVERY;
            }
            m_Load.Receive(tick + std::chrono::milliseconds(2), take);
        }
        m_Load.Receive(Clock::now() + std::chrono::milliseconds(300), take);
        outcome.m_Browser = static_cast<int>(browser.size());
        return outcome;
    }
    // The browser answered every time with the players, and all answers within the budget: every second
    // of the flood and of the time after it spends at most BUDGET bytes (and one answer beyond it).
    void ExpectTheBrowserAndTheBudgetHold(const Outcome& outcome) {
        EXPECT_EQ(outcome.m_Asked, 5);
        EXPECT_EQ(outcome.m_Browser, outcome.m_Asked);
        EXPECT_EQ(outcome.m_BrowserWithPlayers, outcome.m_Asked);
        EXPECT_LE(outcome.m_Bytes, 3u * (BUDGET + 2000));
    }
};

TEST_F(QueryFloodTest, AManyAddressesAskingTenTimesASecond) {
    const Outcome outcome = Flood(QueryPort(), STATUS, 1000, Cycle(1000, 100));
    ExpectTheBrowserAndTheBudgetHold(outcome);
    // In its first half second the flood's addresses still look like newcomers; once they have asked more
    // than half their allowance, the newcomer, which asks less, comes first: its queries of 1.4 s and 1.8 s,
    // after the flood's first spending has left the budget's second.
    EXPECT_EQ(outcome.m_Newcomer.count(4), 1u);
    EXPECT_EQ(outcome.m_Newcomer.count(5), 1u);
}

TEST_F(QueryFloodTest, BQueriesLongerThanAQueryMayBeOnTheGamePort) {
    std::string repeated;
    while (repeated.size() + 7 <= 1023) {
        repeated += "\\status";
    }
    const Outcome outcome = Flood(GamePort(), repeated, 300, Cycle(2000, 100));
    ExpectTheBrowserAndTheBudgetHold(outcome);
    // The flood gets nothing, so the newcomer is answered each time its query reaches the server; a slow
    // build's engine may read the game socket more slowly than the flood fills it, and the system then
    // drops one of the newcomer's datagrams before the server sees it.
    EXPECT_GE(outcome.m_Newcomer.size(), 4u);
}

TEST_F(QueryFloodTest, CManyAddressesAskingOnceASecond) {
    ExpectTheBrowserAndTheBudgetHold(Flood(QueryPort(), STATUS, 1000, Cycle(3000, 1000)));
}

TEST_F(QueryFloodTest, DAddressesAskingTwiceBackToBackGainNoStatus) {
    ExpectTheBrowserAndTheBudgetHold(Flood(QueryPort(), STATUS, 1000, Cycle(5000, 500, 2)));
}

TEST_F(QueryFloodTest, EAddressesChurningOnTheGamePort) {
    // Each second a new half of 1000 addresses: every address asks twice, a second apart.
    const Source churn = [](uint64_t n, double seconds) {
        return QueryLoad::SourceAddress(7000 + static_cast<uint32_t>(seconds) * 500 + static_cast<uint32_t>(n % 1000));
    };
    ExpectTheBrowserAndTheBudgetHold(Flood(GamePort(), STATUS, 1000, churn));
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
    options.m_QueryTimePerProcess = std::chrono::seconds(5); // every query is looked at, however slow the build
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
            load.Receive(Clock::now() + std::chrono::milliseconds(1), take);
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
        load.Receive(Clock::now() + std::chrono::milliseconds(20), take);
    }
    EXPECT_EQ(answered, 2 + 5);
    EXPECT_GT(floodBytes, 0u);
    EXPECT_LE(floodBytes, 16384u + 2000u); // one second of the clock, and one answer beyond
}

} // namespace
} // namespace dravo
