// The HTTP GET of web registration against a real server on loopback: a request given up before it left
// never leaves later, so it never reaches the server after the request that followed it.
#include "net/LoopbackHttpServer.h"
#include "platform/http/HttpGet.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dravo {
namespace {

const HttpLimits LIMITS{std::chrono::milliseconds(2000), std::chrono::milliseconds(3000)};

TEST(HttpGet, ARequestGivenUpNeverReachesTheServerAfterTheOneThatFollows) {
    test::LoopbackHttpServer lists;
    BlockingPool pool;
    constexpr int ROUNDS = 20;
    for (int round = 0; round < ROUNDS; ++round) {
        const std::string suffix = "&round=" + std::to_string(round);
        const std::atomic<bool> givenUp{true};
        const std::atomic<bool> wanted{false};
        EXPECT_FALSE(HttpGet(lists.Url() + "?players=3" + suffix, givenUp, pool, LIMITS));
        EXPECT_TRUE(HttpGet(lists.Url() + "?players=-1" + suffix, wanted, pool, LIMITS));
    }
    // Every request has ended (or was never made) once the pool's work is over.
    ASSERT_TRUE(pool.Shutdown(std::chrono::seconds(10)));
    const std::vector<std::string> lines = lists.Lines();
    for (int round = 0; round < ROUNDS; ++round) {
        const std::string suffix = "&round=" + std::to_string(round) + " ";
        const auto last = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find("?players=-1" + suffix) != std::string::npos;
        });
        ASSERT_NE(last, lines.end()) << "round " << round;
        EXPECT_TRUE(std::none_of(
            last, lines.end(),
            [&](const std::string& line) { return line.find("?players=3" + suffix) != std::string::npos; }))
            << "round " << round;
    }
}

} // namespace
} // namespace dravo
