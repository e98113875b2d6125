// Requests with a body and streamed GETs against the stand-in sidecar on loopback: what goes out, what
// comes back, the bound on an answer's size, and the ends of a stream.
#include "platform/http/HttpRequest.h"
#include "support/SdkStandIn.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::SdkStandIn;

// Where the requests would block on Windows; here only handed through.
BlockingPool& Pool() {
    static BlockingPool pool;
    return pool;
}

std::string Url(const SdkStandIn& sidecar, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(sidecar.Port()) + path;
}

TEST(HttpRequest, AMethodWithABodyAndItsAnswer) {
    SdkStandIn sidecar;
    sidecar.DefinePlayersList(4);
    ASSERT_TRUE(sidecar.Start());
    const std::atomic<bool> abort{false};
    const std::string names = R"({"values":["Ace","Bob"]})";
    const HttpAnswer answer = HttpRequest({"PATCH", Url(sidecar, "/v1beta1/lists/players"), names}, abort, Pool());
    ASSERT_TRUE(answer.m_Answered);
    EXPECT_EQ(answer.m_Status, 200);
    EXPECT_EQ(answer.m_Body, R"({"capacity":"4","name":"players","values":["Ace","Bob"]})");
    EXPECT_FALSE(answer.m_Cut);
    const auto requests = sidecar.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].m_Method, "PATCH");
    EXPECT_EQ(requests[0].m_Body, names);

    const HttpAnswer refused = HttpRequest({"GET", Url(sidecar, "/v1beta1/lists/nothing"), ""}, abort, Pool());
    EXPECT_TRUE(refused.m_Answered);
    EXPECT_EQ(refused.m_Status, 404);
}

TEST(HttpRequest, AnAnswerIsKeptUpToItsBound) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    const std::atomic<bool> abort{false};
    HttpCall call{"GET", Url(sidecar, "/gameserver"), ""};
    call.m_MaxAnswerBytes = 10;
    const HttpAnswer answer = HttpRequest(call, abort, Pool());
    EXPECT_TRUE(answer.m_Answered);
    EXPECT_TRUE(answer.m_Cut);
    EXPECT_EQ(answer.m_Body.size(), 10u);
}

TEST(HttpRequest, NoListenerASilentServerAndGarbageAreNoAnswer) {
    const std::atomic<bool> abort{false};
    SdkStandIn silent(SdkStandIn::Behaviour::Silent);
    SdkStandIn garbage(SdkStandIn::Behaviour::Garbage);
    ASSERT_TRUE(silent.Start());
    ASSERT_TRUE(garbage.Start());
    const HttpLimits limits{200ms, 400ms};
    EXPECT_FALSE(HttpRequest({"POST", Url(silent, "/ready"), "{}"}, abort, Pool(), limits).m_Answered);
    EXPECT_FALSE(HttpRequest({"POST", Url(garbage, "/ready"), "{}"}, abort, Pool(), limits).m_Answered);
    EXPECT_FALSE(HttpRequest({"POST", "http://127.0.0.1:1/ready", "{}"}, abort, Pool(), limits).m_Answered);
    EXPECT_FALSE(HttpRequest({"POST", "ftp://127.0.0.1/ready", "{}"}, abort, Pool(), limits).m_Answered);
}

TEST(HttpStream, PiecesComeWhileTheStreamStaysOpenUntilTheHandlerStops) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    const std::atomic<bool> abort{false};
    std::string seen;
    int pieces = 0;
    const HttpAnswer answer = HttpStream(
        Url(sidecar, "/watch/gameserver"),
        [&](std::string_view piece) {
            seen.append(piece);
            if (++pieces == 1) {
                sidecar.Allocate(); // a change while the watch is open
            }
            return seen.find("Allocated") == std::string::npos;
        },
        abort, Pool(), HttpLimits{1000ms, 20000ms});
    EXPECT_TRUE(answer.m_Answered);
    EXPECT_EQ(answer.m_Status, 200);
    EXPECT_NE(seen.find("\"state\":\"Scheduled\""), std::string::npos);
    EXPECT_NE(seen.find("\"state\":\"Allocated\""), std::string::npos);
}

TEST(HttpStream, AnAbortEndsAnOpenStream) {
    SdkStandIn sidecar;
    ASSERT_TRUE(sidecar.Start());
    std::atomic<bool> abort{false};
    const HttpAnswer answer = HttpStream(
        Url(sidecar, "/watch/gameserver"),
        [&](std::string_view) {
            abort = true;
            return true;
        },
        abort, Pool(), HttpLimits{1000ms, 20000ms});
    EXPECT_TRUE(answer.m_Answered);
    EXPECT_EQ(sidecar.Count("GET", "/watch/gameserver"), 1u);
}

} // namespace
} // namespace dravo
