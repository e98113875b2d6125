#include "services/TcpTestClient.h"
#include "services/metrics/MetricsServer.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/RecordingView.h"
#include "support/RosterPlayers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;

class MetricsServerTest : public ::testing::Test {
protected:
    test::RecordingView m_View;
    ConsoleLog m_Log{m_View};
    SessionFacts m_Facts;
    SessionCounters m_Counters;
    test::FakeClock m_Clock;
    MetricsSources m_Sources{m_Facts, m_Counters, m_Clock};

    MetricsOptions Options(std::chrono::milliseconds timeout = 5s) {
        MetricsOptions options;
        options.m_Enabled = true;
        options.m_Port = 0;
        options.m_Limits.m_FirstDeadline = timeout;
        return options;
    }
    // The whole answer to one request over a real connection; the server closes after each.
    static std::string Fetch(const MetricsServer& server, const std::string& head) {
        test::TcpTestClient client(server.Port());
        EXPECT_TRUE(client.Write(head + "\r\n\r\n"));
        EXPECT_TRUE(client.WaitForClose()) << head;
        return client.Received();
    }
};

TEST_F(MetricsServerTest, AnswersGetAndHeadOfTheMetricsAndRefusesTheRest) {
    MetricsServer server(m_Sources, m_Log, Options());
    ASSERT_TRUE(server.Start());
    m_Facts.SetPlayers(test::Players({"a", "b", "c", "d", "e"}), 0);
    const std::string page = Fetch(server, "GET /metrics?x=1 HTTP/1.1\r\nHost: a");
    EXPECT_TRUE(page.starts_with("HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"));
    EXPECT_NE(page.find("\r\nConnection: close\r\n"), std::string::npos);
    EXPECT_NE(page.find("\r\n\r\n# HELP dravo_build_info"), std::string::npos);
    EXPECT_NE(page.find("\ndravo_players 5\n"), std::string::npos);
    const std::string head = Fetch(server, "HEAD /metrics HTTP/1.0");
    EXPECT_TRUE(head.starts_with("HTTP/1.1 200 OK"));
    EXPECT_TRUE(head.ends_with("\r\n\r\n")) << "no body";
    EXPECT_EQ(head.substr(head.find("Content-Length")),
              page.substr(page.find("Content-Length"), head.size() - head.find("Content-Length")));
    EXPECT_TRUE(Fetch(server, "GET / HTTP/1.1").starts_with("HTTP/1.1 200 OK"));
    EXPECT_TRUE(Fetch(server, "GET /metricsx HTTP/1.1").starts_with("HTTP/1.1 404 "));
    const std::string post = Fetch(server, "POST /metrics HTTP/1.1");
    EXPECT_TRUE(post.starts_with("HTTP/1.1 405 "));
    EXPECT_NE(post.find("\r\nAllow: GET, HEAD\r\n"), std::string::npos);
    EXPECT_TRUE(Fetch(server, "\x16\x03\x01 junk").starts_with("HTTP/1.1 400 "));
    EXPECT_TRUE(Fetch(server, "GET /metrics").starts_with("HTTP/1.1 400 "));
}

TEST_F(MetricsServerTest, ServesAScrapeOverTcpAndClosesSlowAndOversizedRequests) {
    MetricsServer server(m_Sources, m_Log, Options(300ms));
    ASSERT_TRUE(server.Start());
    EXPECT_TRUE(m_View.Logged("Metrics at http://127.0.0.1:" + std::to_string(server.Port()) + "/metrics."));

    test::TcpTestClient scrape(server.Port());
    ASSERT_TRUE(scrape.Write("GET /metr"));
    ASSERT_TRUE(scrape.Write("ics HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_TRUE(scrape.WaitForClose());
    EXPECT_TRUE(scrape.Received().starts_with("HTTP/1.1 200 OK"));
    EXPECT_TRUE(scrape.Received().ends_with("dravo_banned_names 0\n"));

    test::TcpTestClient slow(server.Port());
    ASSERT_TRUE(slow.Write("GET /metrics HTTP/1.1\r\n"));
    EXPECT_TRUE(slow.WaitForCloseWhileTimePasses(m_Clock, 50))
        << "a head that never ends is dropped at the request timeout";
    EXPECT_EQ(slow.Received(), "");

    test::TcpTestClient oversized(server.Port());
    (void)oversized.Write("GET /metrics HTTP/1.1\r\nX: " + std::string(MetricsServer::MAX_REQUEST_BYTES, 'x'));
    ASSERT_TRUE(oversized.WaitForClose());
    EXPECT_TRUE(oversized.Received().starts_with("HTTP/1.1 431 "));
}

TEST_F(MetricsServerTest, ARequestWithBareLineFeedsIsAnswered) {
    MetricsServer server(m_Sources, m_Log, Options());
    ASSERT_TRUE(server.Start());
    test::TcpTestClient scrape(server.Port());
    ASSERT_TRUE(scrape.Write("GET /metrics HTTP/1.1\nHost: x\n\n"));
    ASSERT_TRUE(scrape.WaitForClose());
    EXPECT_TRUE(scrape.Received().starts_with("HTTP/1.1 200 OK\r\n")) << scrape.Received().substr(0, 80);
    test::TcpTestClient mixed(server.Port());
    ASSERT_TRUE(mixed.Write("HEAD / HTTP/1.0\r\nHost: x\n\r\n"));
    ASSERT_TRUE(mixed.WaitForClose());
    EXPECT_TRUE(mixed.Received().starts_with("HTTP/1.1 200 OK\r\n")) << mixed.Received();
}

// Idle connections that never send a request fill every place; a scrape still gets in, in the place of
// the oldest of them.
TEST_F(MetricsServerTest, IdleConnectionsMakeRoomForAScrape) {
    MetricsServer server(m_Sources, m_Log, Options());
    ASSERT_TRUE(server.Start());
    std::vector<std::unique_ptr<test::TcpTestClient>> idle;
    for (uint32_t i = 0; i < 8; ++i) {
        idle.push_back(std::make_unique<test::TcpTestClient>(server.Port(), test::TEST_LOOPBACK + 1 + i / 4));
        ASSERT_TRUE(idle.back()->IsOpen());
    }
    for (int scrape = 0; scrape < 12; ++scrape) {
        test::TcpTestClient client(server.Port(), test::TEST_LOOPBACK + 1 + scrape % 2);
        ASSERT_TRUE(client.Write("GET /metrics HTTP/1.1\r\n\r\n"));
        ASSERT_TRUE(client.WaitForClose());
        EXPECT_TRUE(client.Received().starts_with("HTTP/1.1 200 OK")) << scrape;
        idle.push_back(std::make_unique<test::TcpTestClient>(server.Port(), test::TEST_LOOPBACK + 1 + scrape % 2));
    }
}

TEST_F(MetricsServerTest, OptionsAreOffUnlessAPortIsSetAndBadValuesKeepTheirDefaults) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    EXPECT_FALSE(ReadMetricsOptions(reader).m_Enabled);
    engine.m_Variables["MetricsPort"] = "99999";
    const MetricsOptions outOfRange = ReadMetricsOptions(reader);
    EXPECT_FALSE(outOfRange.m_Enabled);
    EXPECT_EQ(outOfRange.m_Problems,
              std::vector<std::string>{"MetricsPort \"99999\" is no number from 1 to 65535; the default (off) holds."});
    engine.m_Variables["MetricsPort"] = "0";
    EXPECT_FALSE(ReadMetricsOptions(reader).m_Enabled);
    engine.m_Variables["MetricsPort"] = "9150";
    engine.m_Variables["MetricsBindAddress"] = "localhost";
    engine.m_Variables["MetricsMaxConnections"] = "0";
    const MetricsOptions options = ReadMetricsOptions(reader);
    EXPECT_TRUE(options.m_Enabled);
    EXPECT_EQ(options.m_Port, 9150);
    EXPECT_EQ(options.m_BindAddress, 0x7F000001u);
    ASSERT_EQ(options.m_Problems.size(), 2u);
    EXPECT_EQ(options.m_Problems[0],
              "MetricsBindAddress \"localhost\" is no IPv4 address; the default (127.0.0.1) holds.");
    EXPECT_EQ(options.m_Limits.m_MaxConnections, 8u);
    engine.m_Variables["MetricsBindAddress"] = "0.0.0.0";
    EXPECT_EQ(ReadMetricsOptions(reader).m_BindAddress, 0u);
}

} // namespace
} // namespace dravo
