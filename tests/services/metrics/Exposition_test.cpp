#include "services/metrics/Exposition.h"
#include "services/metrics/MetricsPage.h"
#include "support/RosterPlayers.h"

#include <gtest/gtest.h>

#include <array>

namespace dravo {
namespace {

TEST(Exposition, EscapesLabelValuesAndHelpAndWritesNumbersExactly) {
    EXPECT_EQ(Exposition::EscapeLabelValue("a\\b\"c\nd"), "a\\\\b\\\"c\\nd");
    EXPECT_EQ(Exposition::EscapeHelp("a\\b\"c\nd"), "a\\\\b\"c\\nd");
    EXPECT_EQ(Exposition::FormatNumber(0.009), "0.009");
    EXPECT_EQ(Exposition::FormatNumber(12.0), "12");
    EXPECT_EQ(Exposition::FormatNumber(1e21), "1e+21");
    Exposition out;
    out.Family("x_total", "Help.", Exposition::Type::Counter);
    out.Sample("x_total", {{"a", "1"}, {"b", "q\""}}, uint64_t{18446744073709551615u});
    EXPECT_EQ(out.Text(), "# HELP x_total Help.\n# TYPE x_total counter\nx_total{a=\"1\",b=\"q\\\"\"} "
                          "18446744073709551615\n");
}

TEST(Exposition, AHistogramWritesCumulativeBucketsSumAndCount) {
    Exposition out;
    const std::array<double, 2> bounds = {0.5, 1};
    const std::array<uint64_t, 3> counts = {2, 0, 3};
    out.Histogram("h_seconds", "H.", bounds, counts, 7.25);
    EXPECT_EQ(out.Text(), "# HELP h_seconds H.\n# TYPE h_seconds histogram\n"
                          "h_seconds_bucket{le=\"0.5\"} 2\nh_seconds_bucket{le=\"1\"} 2\n"
                          "h_seconds_bucket{le=\"+Inf\"} 5\nh_seconds_sum 7.25\nh_seconds_count 5\n");
}

MetricsReading SampleReading() {
    MetricsReading reading;
    SessionSnapshot& facts = reading.m_Facts;
    facts.m_Phase = HostingPhase::Running;
    facts.m_Players = {"A", "B", "C"};
    facts.m_Game.m_MaxPlayers = 16;
    facts.m_Level = "Worlds\\Multi\\\"Arena\"";
    facts.m_LevelChanges = 2;
    reading.m_UptimeMs = 83250;
    reading.m_Steps = 9000;
    CounterSnapshot& counters = reading.m_Counters;
    counters.m_StepIntervals = {0, 0, 8000, 900, 50, 20, 10, 9, 6, 3, 1, 1};
    counters.m_StepIntervalSumMs = 81234;
    counters.m_ConsoleCommands = 7;
    counters.m_RemoteCommands = 5;
    counters.m_RemoteLogins = {4, 3, 2};
    counters.m_OperatorKicks = 1;
    counters.m_BanKicks = 6;
    counters.m_BannedNames = 11;
    counters.m_QueriesAnswered = 120;
    counters.m_QueriesDropped = {30, 20, 10, 5, 4};
    counters.m_A2sAnswered = 77;
    counters.m_A2sDropped = {3, 2, 0, 9, 1};
    counters.m_AnswerBytes = 65536;
    counters.m_AddressEntries = 17;
    counters.m_Heartbeats = 8;
    counters.m_RegistrationsAnswered = 12;
    counters.m_RegistrationsFailed = 13;
    return reading;
}

// Every series of the page, as Prometheus reads it: a change here is a change for every dashboard.
constexpr const char* EXPECTED_PAGE = R"(# HELP dravo_build_info The program's version; always 1.
# TYPE dravo_build_info gauge
dravo_build_info{version="9.9"} 1
# HELP dravo_uptime_seconds Time since hosting started; 0 while the game is not hosted.
# TYPE dravo_uptime_seconds gauge
dravo_uptime_seconds 83.25
# HELP dravo_hosting 1 while the game is hosted, else 0.
# TYPE dravo_hosting gauge
dravo_hosting 1
# HELP dravo_players Players in the game.
# TYPE dravo_players gauge
dravo_players 3
# HELP dravo_max_players The player limit.
# TYPE dravo_max_players gauge
dravo_max_players 16
# HELP dravo_level_info The current level, as its label; always 1.
# TYPE dravo_level_info gauge
dravo_level_info{level="Worlds\\Multi\\\"Arena\""} 1
# HELP dravo_level_changes_total Level changes since hosting started.
# TYPE dravo_level_changes_total counter
dravo_level_changes_total 2
# HELP dravo_update_steps_total Update steps of the hosted game.
# TYPE dravo_update_steps_total counter
dravo_update_steps_total 9000
# HELP dravo_step_interval_seconds Time between the starts of two update steps.
# TYPE dravo_step_interval_seconds histogram
dravo_step_interval_seconds_bucket{le="0.005"} 0
dravo_step_interval_seconds_bucket{le="0.008"} 0
dravo_step_interval_seconds_bucket{le="0.009"} 8000
dravo_step_interval_seconds_bucket{le="0.01"} 8900
dravo_step_interval_seconds_bucket{le="0.012"} 8950
dravo_step_interval_seconds_bucket{le="0.015"} 8970
dravo_step_interval_seconds_bucket{le="0.02"} 8980
dravo_step_interval_seconds_bucket{le="0.03"} 8989
dravo_step_interval_seconds_bucket{le="0.05"} 8995
dravo_step_interval_seconds_bucket{le="0.1"} 8998
dravo_step_interval_seconds_bucket{le="0.25"} 8999
dravo_step_interval_seconds_bucket{le="+Inf"} 9000
dravo_step_interval_seconds_sum 81.234
dravo_step_interval_seconds_count 9000
# HELP dravo_queries_answered_total GameSpy queries answered, on the query port and the game port.
# TYPE dravo_queries_answered_total counter
dravo_queries_answered_total 120
# HELP dravo_queries_dropped_total GameSpy queries left unanswered, by reason.
# TYPE dravo_queries_dropped_total counter
dravo_queries_dropped_total{reason="rate"} 30
dravo_queries_dropped_total{reason="budget"} 20
dravo_queries_dropped_total{reason="size"} 10
dravo_queries_dropped_total{reason="answer"} 5
dravo_queries_dropped_total{reason="own_port"} 4
# HELP dravo_a2s_queries_answered_total A2S queries answered (challenges included), on the query port and the game port.
# TYPE dravo_a2s_queries_answered_total counter
dravo_a2s_queries_answered_total 77
# HELP dravo_a2s_queries_dropped_total A2S queries left unanswered, by reason.
# TYPE dravo_a2s_queries_dropped_total counter
dravo_a2s_queries_dropped_total{reason="rate"} 3
dravo_a2s_queries_dropped_total{reason="budget"} 2
dravo_a2s_queries_dropped_total{reason="size"} 0
dravo_a2s_queries_dropped_total{reason="answer"} 9
dravo_a2s_queries_dropped_total{reason="own_port"} 1
# HELP dravo_query_answer_bytes_total Bytes of GameSpy and A2S answers sent.
# TYPE dravo_query_answer_bytes_total counter
dravo_query_answer_bytes_total 65536
# HELP dravo_query_address_entries Addresses the query answer limits remember.
# TYPE dravo_query_address_entries gauge
dravo_query_address_entries 17
# HELP dravo_heartbeats_sent_total Heartbeats sent to the GameSpy master server.
# TYPE dravo_heartbeats_sent_total counter
dravo_heartbeats_sent_total 8
# HELP dravo_web_registrations_total Web registration requests, by result.
# TYPE dravo_web_registrations_total counter
dravo_web_registrations_total{result="answered"} 12
dravo_web_registrations_total{result="failed"} 13
# HELP dravo_rcon_logins_total Remote console logins, by result.
# TYPE dravo_rcon_logins_total counter
dravo_rcon_logins_total{result="accepted"} 4
dravo_rcon_logins_total{result="wrong_password"} 3
dravo_rcon_logins_total{result="locked_out"} 2
# HELP dravo_rcon_commands_total Commands and actions received over the remote console.
# TYPE dravo_rcon_commands_total counter
dravo_rcon_commands_total 5
# HELP dravo_console_commands_total Console commands run, typed or remote.
# TYPE dravo_console_commands_total counter
dravo_console_commands_total 7
# HELP dravo_kicks_total Players booted, by reason.
# TYPE dravo_kicks_total counter
dravo_kicks_total{reason="operator"} 1
dravo_kicks_total{reason="ban"} 6
# HELP dravo_banned_names Names on the ban list.
# TYPE dravo_banned_names gauge
dravo_banned_names 11
)";

TEST(MetricsPage, PinsEverySeries) {
    EXPECT_EQ(BuildMetricsPage(SampleReading(), "9.9"), EXPECTED_PAGE);
}

TEST(MetricsPage, ReadsTheFactsTheStepsAndTheUptimeAcrossTheClocksWrap) {
    SessionFacts facts;
    SessionCounters counters;
    MetricsReading before = ReadMetrics(facts, counters, 500);
    EXPECT_EQ(before.m_UptimeMs, 0u) << "not hosted yet";
    HostedGame game{24, "deathmatch", {"Worlds\\Arena"}, "Worlds\\Arena"};
    game.m_StartMs = 0xFFFFFF00u;
    facts.HostingStarted(game);
    facts.SetPlayers(test::Players({"A", "B"}), 0);
    facts.CountStep();
    facts.CountStep();
    counters.CountConsoleCommand();
    const MetricsReading reading = ReadMetrics(facts, counters, 0x100u);
    EXPECT_EQ(reading.m_UptimeMs, 0x200u);
    EXPECT_EQ(reading.m_Steps, 2u);
    EXPECT_EQ(reading.m_Facts.m_Players.size(), 2u);
    EXPECT_EQ(reading.m_Counters.m_ConsoleCommands, 1u);
    const std::string page = BuildMetricsPage(reading, "1");
    EXPECT_NE(page.find("\ndravo_hosting 1\n"), std::string::npos);
    EXPECT_NE(page.find("\ndravo_level_info{level=\"Worlds\\\\Arena\"} 1\n"), std::string::npos);
    facts.HostingEnded();
    const std::string ended = BuildMetricsPage(ReadMetrics(facts, counters, 0x100u), "1");
    EXPECT_NE(ended.find("\ndravo_hosting 0\n"), std::string::npos);
    EXPECT_NE(ended.find("\ndravo_uptime_seconds 0\n"), std::string::npos);
}

} // namespace
} // namespace dravo
