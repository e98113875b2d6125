// The metrics endpoint end to end: a real Prometheus server scrapes the real dravoserv every second
// while bots play and a query flood comes in, and the series are read back through its HTTP API.
#include "integration/HostedGameTest.h"
#include "integration/RemotePeers.h"
#include "integration/ScrapeRelay.h"
#include "net/UdpTestPeer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <thread>

namespace dravo {
namespace {

using namespace std::chrono_literals;
constexpr const char* PROMETHEUS = "/usr/bin/prometheus";

// The first value of an instant query's answer, or nothing: ..."value":[<time>,"<value>"]...
std::optional<double> FirstValue(const std::string& answer) {
    const size_t at = answer.find("\"value\":[");
    const size_t quote = at == std::string::npos ? at : answer.find(",\"", at);
    if (quote == std::string::npos) {
        return std::nullopt;
    }
    return std::strtod(answer.c_str() + quote + 2, nullptr);
}

class MetricsEndToEnd : public test::HostedGameTest {
protected:
    std::unique_ptr<test::ScrapeRelay> m_Relay;
    std::unique_ptr<test::LiveProcess> m_Prometheus;
    uint16_t m_PrometheusPort = 0;
    test::TempDir m_Store;

    // Prometheus scrapes the endpoint through a relay that counts the scrapes.
    void StartPrometheus(uint16_t endpoint) {
        m_Relay = std::make_unique<test::ScrapeRelay>(endpoint);
        const uint16_t target = m_Relay->Port();
        m_PrometheusPort = test::FreeTcpPort();
        m_Store.Write("prometheus.yml", "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
                                        "scrape_configs:\n  - job_name: dravoserv\n    static_configs:\n"
                                        "      - targets: ['127.0.0.1:" +
                                            std::to_string(target) + "']\n");
        m_Prometheus = std::make_unique<test::LiveProcess>(
            PROMETHEUS,
            std::vector<std::string>{"--config.file=" + (m_Store.Path() / "prometheus.yml").string(),
                                     "--storage.tsdb.path=" + (m_Store.Path() / "data").string(),
                                     "--web.listen-address=127.0.0.1:" + std::to_string(m_PrometheusPort)},
            m_Store.Path());
        ASSERT_TRUE(m_Prometheus->WaitForError("Server is ready to receive web requests", 30s))
            << m_Prometheus->Errors();
    }
    // The query's value once `wanted` holds for it: asked again after each scrape, for at most 30 s.
    std::optional<double> WaitForValue(const std::string& query, const std::function<bool(double)>& wanted) {
        const auto end = std::chrono::steady_clock::now() + 30s;
        std::optional<double> value;
        std::string url = "http://127.0.0.1:" + std::to_string(m_PrometheusPort) + "/api/v1/query?query=" + query;
        for (;;) {
            const uint64_t scrapes = m_Relay->Scrapes();
            value = FirstValue(test::HttpGet(url));
            if (value && wanted(*value)) {
                return value;
            }
            if (!m_Relay->WaitForScrapeAfter(scrapes, end)) {
                break;
            }
        }
        ADD_FAILURE() << query << " stayed at " << (value ? std::to_string(*value) : std::string("nothing"));
        return value;
    }
};

TEST_F(MetricsEndToEnd, PrometheusSeesPlayersStepsAndQueriesMove) {
    if (!std::filesystem::exists(PROMETHEUS)) {
        GTEST_FAIL() << "prometheus is missing: scripts/setup.sh installs it";
    }
    const uint16_t metricsPort = test::FreeTcpPort();
    test::UdpTestPeer master;
    auto server =
        StartServer({"+fragrate", "0", "+ServerReg", "0", "+UseGameSpy", "1", "+SpyMasterHost", "127.0.0.1",
                     "+SpyMasterPort", std::to_string(master.Port()), "+MetricsPort", std::to_string(metricsPort)});
    ASSERT_TRUE(server->WaitForOutput("Metrics at http://127.0.0.1:" + std::to_string(metricsPort) + "/metrics."))
        << server->Output();
    StartPrometheus(metricsPort);
    ASSERT_TRUE(WaitForValue("up", [](double up) { return up == 1; }));

    auto bots = StartBots("Ace,Bob,Cid", 120, {"--quiet"});
    ASSERT_TRUE(server->WaitForOutput("Cid joined the game.")) << server->Output();
    EXPECT_TRUE(WaitForValue("dravo_players", [](double players) { return players == 3; }));
    EXPECT_TRUE(WaitForValue("dravo_max_players", [](double most) { return most == 16; }));
    const auto steps = WaitForValue("dravo_update_steps_total", [](double count) { return count > 0; });
    ASSERT_TRUE(steps);
    EXPECT_TRUE(WaitForValue("dravo_update_steps_total", [&](double count) { return count > *steps + 100; }));
    EXPECT_TRUE(WaitForValue("dravo_step_interval_seconds_count", [](double count) { return count > 0; }));
    EXPECT_TRUE(WaitForValue("dravo_level_info%7Blevel%3D%22Worlds%5C%5CMulti%5C%5CCinderworks%22%7D",
                             [](double one) { return one == 1; }));

    // A flood from one address: its burst of ten is answered, the rest is dropped for the rate. Paced at
    // one a step or so, so that a slow build's step, which may take less than all that waits, drops none
    // for the time.
    test::UdpTestPeer flooder;
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(flooder.SendTo(QueryPort(), "\\status\\"));
        std::this_thread::sleep_for(20ms); // the pace of the load, not a wait for the server
    }
    EXPECT_TRUE(WaitForValue("dravo_queries_answered_total", [](double answered) { return answered >= 10; }));
    EXPECT_TRUE(WaitForValue("dravo_queries_dropped_total%7Breason%3D%22rate%22%7D",
                             [](double dropped) { return dropped >= 45; }));
    EXPECT_TRUE(WaitForValue("dravo_query_answer_bytes_total", [](double bytes) { return bytes > 1000; }));
    EXPECT_TRUE(WaitForValue("dravo_heartbeats_sent_total", [](double sent) { return sent >= 1; }));
    EXPECT_TRUE(WaitForValue("dravo_query_address_entries", [](double entries) { return entries >= 1; }));
}

} // namespace
} // namespace dravo
