// The series of the metrics endpoint, each named under "dravo_" with its unit.
#include "services/metrics/MetricsPage.h"

#include "services/metrics/Exposition.h"

#include <algorithm>
#include <array>
#include <vector>

namespace dravo {
namespace {

using Type = Exposition::Type;

// Label values, in the order of the counters' kinds.
constexpr std::array<std::string_view, QUERY_DROP_KINDS> DROP_REASONS = {"rate", "budget", "size", "answer",
                                                                         "own_port"};
constexpr std::array<std::string_view, REMOTE_LOGIN_KINDS> LOGIN_RESULTS = {"accepted", "wrong_password", "locked_out"};

void GameSeries(Exposition& out, const MetricsReading& reading, std::string_view version) {
    const SessionSnapshot& facts = reading.m_Facts;
    const CounterSnapshot& counters = reading.m_Counters;
    out.Family("dravo_build_info", "The program's version; always 1.", Type::Gauge);
    out.Sample("dravo_build_info", {{"version", version}}, uint64_t{1});
    out.Family("dravo_uptime_seconds", "Time since hosting started; 0 while the game is not hosted.", Type::Gauge);
    out.Sample("dravo_uptime_seconds", {}, static_cast<double>(reading.m_UptimeMs) / 1000.0);
    out.Single("dravo_hosting", "1 while the game is hosted, else 0.", Type::Gauge,
               facts.m_Phase == HostingPhase::Running ? 1 : 0);
    out.Single("dravo_players", "Players in the game.", Type::Gauge, facts.m_Players.size());
    out.Single("dravo_max_players", "The player limit.", Type::Gauge,
               static_cast<uint64_t>(std::max(facts.m_Game.m_MaxPlayers, 0)));
    out.Family("dravo_level_info", "The current level, as its label; always 1.", Type::Gauge);
    out.Sample("dravo_level_info", {{"level", facts.m_Level}}, uint64_t{1});
    out.Single("dravo_level_changes_total", "Level changes since hosting started.", Type::Counter,
               facts.m_LevelChanges);
    out.Single("dravo_update_steps_total", "Update steps of the hosted game.", Type::Counter, reading.m_Steps);
    std::vector<double> bounds;
    bounds.reserve(STEP_INTERVAL_BOUNDS_MS.size());
    for (const uint32_t bound : STEP_INTERVAL_BOUNDS_MS) {
        bounds.push_back(bound / 1000.0);
    }
    out.Histogram("dravo_step_interval_seconds", "Time between the starts of two update steps.", bounds,
                  counters.m_StepIntervals, static_cast<double>(counters.m_StepIntervalSumMs) / 1000.0);
}

void PresenceSeries(Exposition& out, const CounterSnapshot& snapshot) {
    out.Single("dravo_queries_answered_total", "GameSpy queries answered, on the query port and the game port.",
               Type::Counter, snapshot.m_QueriesAnswered);
    out.Family("dravo_queries_dropped_total", "GameSpy queries left unanswered, by reason.", Type::Counter);
    for (size_t i = 0; i < QUERY_DROP_KINDS; ++i) {
        out.Sample("dravo_queries_dropped_total", {{"reason", DROP_REASONS[i]}}, snapshot.m_QueriesDropped[i]);
    }
    out.Single("dravo_a2s_queries_answered_total",
               "A2S queries answered (challenges included), on the query port and the game port.", Type::Counter,
               snapshot.m_A2sAnswered);
    out.Family("dravo_a2s_queries_dropped_total", "A2S queries left unanswered, by reason.", Type::Counter);
    for (size_t i = 0; i < QUERY_DROP_KINDS; ++i) {
        out.Sample("dravo_a2s_queries_dropped_total", {{"reason", DROP_REASONS[i]}}, snapshot.m_A2sDropped[i]);
    }
    out.Single("dravo_query_answer_bytes_total", "Bytes of GameSpy and A2S answers sent.", Type::Counter,
               snapshot.m_AnswerBytes);
    out.Single("dravo_query_address_entries", "Addresses the query answer limits remember.", Type::Gauge,
               snapshot.m_AddressEntries);
    out.Single("dravo_heartbeats_sent_total", "Heartbeats sent to the GameSpy master server.", Type::Counter,
               snapshot.m_Heartbeats);
    out.Family("dravo_web_registrations_total", "Web registration requests, by result.", Type::Counter);
    out.Sample("dravo_web_registrations_total", {{"result", "answered"}}, snapshot.m_RegistrationsAnswered);
    out.Sample("dravo_web_registrations_total", {{"result", "failed"}}, snapshot.m_RegistrationsFailed);
}

void ConsoleSeries(Exposition& out, const CounterSnapshot& snapshot) {
    out.Family("dravo_rcon_logins_total", "Remote console logins, by result.", Type::Counter);
    for (size_t i = 0; i < REMOTE_LOGIN_KINDS; ++i) {
        out.Sample("dravo_rcon_logins_total", {{"result", LOGIN_RESULTS[i]}}, snapshot.m_RemoteLogins[i]);
    }
    out.Single("dravo_rcon_commands_total", "Commands and actions received over the remote console.", Type::Counter,
               snapshot.m_RemoteCommands);
    out.Single("dravo_console_commands_total", "Console commands run, typed or remote.", Type::Counter,
               snapshot.m_ConsoleCommands);
    out.Family("dravo_kicks_total", "Players booted, by reason.", Type::Counter);
    out.Sample("dravo_kicks_total", {{"reason", "operator"}}, snapshot.m_OperatorKicks);
    out.Sample("dravo_kicks_total", {{"reason", "ban"}}, snapshot.m_BanKicks);
    out.Single("dravo_banned_names", "Names on the ban list.", Type::Gauge, snapshot.m_BannedNames);
}

} // namespace

MetricsReading ReadMetrics(const SessionFacts& facts, const SessionCounters& counters, uint32_t nowMs) {
    MetricsReading reading;
    reading.m_Facts = facts.Snapshot();
    reading.m_Steps = facts.Steps();
    if (reading.m_Facts.m_Phase == HostingPhase::Running) {
        reading.m_UptimeMs = static_cast<uint32_t>(nowMs - reading.m_Facts.m_Game.m_StartMs);
    }
    reading.m_Counters = counters.Snapshot();
    return reading;
}

std::string BuildMetricsPage(const MetricsReading& reading, std::string_view version) {
    Exposition out;
    GameSeries(out, reading, version);
    PresenceSeries(out, reading.m_Counters);
    ConsoleSeries(out, reading.m_Counters);
    return out.Text();
}

} // namespace dravo
