// The operator's commands that every console shares: players, kick, say, levels, level, nextlevel,
// shutdown and cancel (the bans are beside, in OperatorBans.cpp).
#include "host/commands/CommandService.h"

#include "host/commands/CommandArguments.h"
#include "host/commands/CommandWords.h"
#include "platform/os/Text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>

namespace dravo {
namespace {

struct OperatorCommand {
    std::string_view m_Name;
    std::string_view m_Usage;
};

// In the order help lists them.
constexpr std::array<OperatorCommand, 13> OPERATOR_COMMANDS = {{
    {"players", "players"},
    {"kick", "kick <id|name> [reason]"},
    {"ban", "ban <id|name> [duration such as 30m, 2h, 7d] [reason]"},
    {"unban", "unban <name>"},
    {"banlist", "banlist"},
    {"banreload", "banreload"},
    {"say", "say <text>"},
    {"levels", "levels"},
    {"level", "level <name or its beginning>"},
    {"nextlevel", "nextlevel"},
    {"shutdown", "shutdown <seconds> [reason]"},
    {"cancel", "cancel"},
    {"help", "help"},
}};

std::string_view UsageOf(std::string_view name) {
    const auto found = std::ranges::find(OPERATOR_COMMANDS, name, &OperatorCommand::m_Name);
    return found == OPERATOR_COMMANDS.end() ? std::string_view() : found->m_Usage;
}

uint32_t SteadyMs() {
    using std::chrono::steady_clock;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

std::vector<std::string> CommandService::OperatorCommandNames() {
    std::vector<std::string> names;
    names.reserve(OPERATOR_COMMANDS.size());
    for (const OperatorCommand& command : OPERATOR_COMMANDS) {
        names.emplace_back(command.m_Name);
    }
    return names;
}

void CommandService::LogUsage(std::string_view command, std::string_view problem) {
    const std::string usage(UsageOf(command));
    const std::string why(problem);
    m_Session.LogLine("Usage: %s%s%s", usage.c_str(), why.empty() ? "" : " - ", why.c_str());
}

bool CommandService::RunOperatorCommand(std::string_view line, const CommandOrigin& origin) {
    const CommandWords words(line);
    const std::string verb = ToLower(words.Word(0));
    if (UsageOf(verb).empty()) {
        return false;
    }
    const bool bare = words.Count() == 1;
    if (verb == "kick") {
        Kick(line, origin);
    } else if (verb == "ban") {
        Ban(line, origin);
    } else if (verb == "unban") {
        Unban(line, origin);
    } else if (verb == "say") {
        Say(line, origin);
    } else if (verb == "level") {
        GoToLevel(line, origin);
    } else if (verb == "shutdown") {
        Shutdown(line, origin);
    } else if (verb == "help") {
        Help(line);
    } else if (!bare) {
        LogUsage(verb, "it takes no arguments");
    } else if (verb == "players") {
        LogPlayers();
    } else if (verb == "banlist") {
        ListBans();
    } else if (verb == "banreload") {
        ReloadBans();
    } else if (verb == "levels") {
        ListLevels();
    } else if (verb == "nextlevel") {
        (void)m_Session.NextLevel();
    } else if (verb == "cancel") {
        Cancel(origin);
    }
    return true;
}

void CommandService::Help(std::string_view line) {
    std::string usages;
    for (const OperatorCommand& command : OPERATOR_COMMANDS) {
        usages += (usages.empty() ? "" : ", ") + std::string(command.m_Usage);
    }
    m_Session.LogLine("Commands: %s.", usages.c_str());
    (void)m_Session.RunEngineCommand(line); // the engine's own commands and variables follow
}

void CommandService::Kick(std::string_view line, const CommandOrigin& origin) {
    std::string error;
    const std::optional<TargetArguments> arguments = ParseTargetArguments(line, false, error);
    if (!arguments) {
        LogUsage("kick", error);
        return;
    }
    const std::vector<RosterPlayer> found = FindTargets(m_Session.Facts().Roster(), arguments->m_Target);
    if (found.size() != 1) {
        LogNoSinglePlayer(arguments->m_Target, found, "kicked");
        return;
    }
    const RosterPlayer& player = found.front();
    (void)m_Session.Boot(player.m_Id);
    m_Session.LogLine("Kicked %s (id %u) by %s%s%s", player.m_Name.c_str(), player.m_Id, origin.Describe().c_str(),
                      arguments->m_Reason.empty() ? "." : ": ", arguments->m_Reason.c_str());
}

void CommandService::LogNoSinglePlayer(const std::string& target, const std::vector<RosterPlayer>& found,
                                       const char* what) {
    if (found.empty()) {
        m_Session.LogLine("No player is named %s or has that id; nobody was %s.", target.c_str(), what);
        return;
    }
    std::string ids;
    for (const RosterPlayer& player : found) {
        ids += (ids.empty() ? "" : ", ") + std::to_string(player.m_Id);
    }
    m_Session.LogLine("%s players are named %s (ids %s); nobody was %s: give the id.",
                      std::to_string(found.size()).c_str(), target.c_str(), ids.c_str(), what);
}

void CommandService::Say(std::string_view line, const CommandOrigin& origin) {
    const std::string text = CommandWords(line).Rest(0);
    if (text.empty()) {
        LogUsage("say", "give the text to send");
        return;
    }
    if (m_Session.Say(text)) {
        m_Session.LogLine("Said to every player by %s: %s", origin.Describe().c_str(), text.c_str());
    } else {
        m_Session.LogLine("The game code did not take the text; no player saw it.");
    }
}

void CommandService::ListLevels() {
    const SessionSnapshot facts = m_Session.Facts().Snapshot();
    const std::string next = m_Session.Status().m_NextLevel;
    m_Session.LogLine("Levels: %s", std::to_string(facts.m_Game.m_Rotation.size()).c_str());
    for (const std::string& level : facts.m_Game.m_Rotation) {
        const bool current = EqualNoCase(level, facts.m_Level);
        const bool isNext = EqualNoCase(level, next);
        m_Session.LogLine("%s %s%s%s", current ? "*" : (isNext ? ">" : " "), level.c_str(), current ? " (current)" : "",
                          isNext ? " (next)" : "");
    }
}

void CommandService::GoToLevel(std::string_view line, const CommandOrigin& origin) {
    const std::string wanted = CommandWords(line).Rest(0);
    if (wanted.empty()) {
        LogUsage("level", "name a level of the rotation (levels lists them)");
        return;
    }
    const std::vector<std::string> found = MatchLevels(m_Session.Facts().Snapshot().m_Game.m_Rotation, wanted);
    if (found.empty()) {
        m_Session.LogLine("No level of the rotation is named %s or begins so; levels lists them.", wanted.c_str());
        return;
    }
    if (found.size() > 1) {
        std::string names;
        for (const std::string& level : found) {
            names += (names.empty() ? "" : ", ") + level;
        }
        m_Session.LogLine("%s could be any of %s; give more of the name.", wanted.c_str(), names.c_str());
        return;
    }
    if (m_Session.GoToLevel(found.front())) {
        m_Session.LogLine("Changing to level %s, asked by %s.", found.front().c_str(), origin.Describe().c_str());
    } else {
        m_Session.LogLine("The game did not change to level %s.", found.front().c_str());
    }
}

void CommandService::Shutdown(std::string_view line, const CommandOrigin& origin) {
    const CommandWords words(line);
    uint32_t seconds = 0;
    const std::string_view given = words.Word(1);
    const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), seconds);
    if (given.empty() || error != std::errc() || end != given.data() + given.size() || seconds < 1 ||
        seconds > MAX_SHUTDOWN_SECONDS) {
        LogUsage("shutdown", "give the seconds to wait, 1 to " + std::to_string(MAX_SHUTDOWN_SECONDS) +
                                 " (/shutdown stops at once, after its question)");
        return;
    }
    if (m_StopSignalled) {
        // A stop signal's countdown is bounded so that the stop ends in time: it is not put off.
        m_Session.LogLine("A stop signal is shutting the server down already; the shutdown is not put off.");
        return;
    }
    m_Session.LogLine("Shutdown in %u seconds asked by %s.", seconds, origin.Describe().c_str());
    StartCountdown(seconds, words.Rest(1));
}

void CommandService::Cancel(const CommandOrigin& origin) {
    if (!m_Countdown.IsActive()) {
        m_Session.LogLine("No shutdown is counting down.");
        return;
    }
    if (m_StopSignalled) {
        m_Session.LogLine("A stop signal asked for this shutdown: it cannot be cancelled.");
        return;
    }
    m_Countdown.Cancel();
    m_Timer.Disarm();
    m_Session.LogLine("The shutdown was cancelled by %s.", origin.Describe().c_str());
    (void)m_Session.Say("The shutdown was cancelled.");
}

void CommandService::StartCountdown(uint32_t seconds, std::string reason) {
    if (m_Session.Facts().Roster().empty()) {
        StopNow("nobody is playing");
        return;
    }
    m_Countdown.Start(seconds, std::move(reason), SteadyMs());
    AdvanceCountdown();
}

void CommandService::AdvanceCountdown() {
    const uint32_t now = SteadyMs();
    const ShutdownCountdown::Step step = m_Countdown.Advance(now);
    if (step.m_Finished) {
        StopNow("the countdown ended");
        return;
    }
    if (step.m_Announce) {
        const std::string warning = ShutdownWarning(*step.m_Announce, m_Countdown.Reason());
        m_Session.LogLine("Told the players: %s", warning.c_str());
        (void)m_Session.Say(warning);
    }
    if (const std::optional<uint32_t> due = m_Countdown.NextDueIn(now)) {
        m_Timer.Arm(std::chrono::milliseconds(*due));
    }
}

void CommandService::StopNow(const char* why) {
    m_Countdown.Cancel();
    m_Timer.Disarm();
    const WindowAction* shutdown = FindWindowAction("shutdown", CommandOrigin::Fleet());
    if (shutdown == nullptr) {
        m_Session.LogLine("ERROR - The server cannot stop from here: no console window is open.");
        return;
    }
    m_Session.LogLine("Shutting down now: %s.", why);
    m_Session.SetExitWithoutAsking();
    shutdown->m_Run("");
}

bool CommandService::StopBySignal(uint32_t seconds) {
    return Post([this, seconds] {
        // A second signal, like a countdown of 0, stops at once.
        if (seconds == 0 || m_StopSignalled) {
            StopNow("a stop signal came");
            return;
        }
        m_StopSignalled = true;
        if (m_Countdown.IsActive() && m_Countdown.SecondsLeft(SteadyMs()) <= seconds) {
            m_Session.LogLine("A stop signal came: the shutdown already counting down goes on.");
            return;
        }
        m_Session.LogLine("A stop signal came: shutting down in %u seconds.", seconds);
        StartCountdown(seconds, "the server is being stopped");
    });
}

} // namespace dravo
