// The actions typed by name ("/players"): the session's own, and the console window's while it is open.
#include "host/commands/CommandService.h"

#include "platform/os/Text.h"

#include <algorithm>
#include <array>

namespace dravo {
namespace {

constexpr const char* ACTIONS_HELP =
    "Actions: /boot <name>, /nextlevel, /clear, /options, /timestamps, /shutdown, /players, /status, /help. "
    "Any other line is a console command; begin it with // to send one that starts with /.";
constexpr const char* BLANKS = " \t";
constexpr std::string_view SHUTDOWN_ACTION = "shutdown";
// The session's actions, which every console may use, in the order help and completion give them.
constexpr std::array<std::string_view, 5> SESSION_ACTIONS = {"boot", "nextlevel", "players", "status", "help"};
// Every action in the order help names them, the window's among them.
constexpr std::array<std::string_view, 9> ALL_ACTIONS = {"boot",     "nextlevel", "clear",  "options", "timestamps",
                                                         "shutdown", "players",   "status", "help"};

} // namespace

// An action's verb, any case, and its argument; blanks and tabs after either are the operator's habit, not
// part of what they ask ("/boot " asks how /boot is used, "/clear  " clears).
bool CommandService::RunAction(std::string_view action, const CommandOrigin& origin) {
    const size_t end = action.find_last_not_of(BLANKS);
    action = action.substr(0, end == std::string_view::npos ? 0 : end + 1);
    const size_t split = action.find_first_of(BLANKS);
    const std::string verb = ToLower(action.substr(0, split));
    const std::string_view argument = split == std::string_view::npos ? "" : action.substr(split + 1);
    if (RunSessionAction(verb, argument)) {
        return true;
    }
    const WindowAction* windowAction = FindWindowAction(verb, origin);
    if (!argument.empty()) {
        // The operator commands of the same name take arguments ("/shutdown 30"); the others say how they
        // are used rather than that they are unknown.
        const std::vector<std::string> commands = OperatorCommandNames();
        const bool known = windowAction != nullptr || std::ranges::find(SESSION_ACTIONS, verb) != SESSION_ACTIONS.end();
        if (!known || std::ranges::find(commands, verb) != commands.end()) {
            return false;
        }
        m_Session.LogLine("Usage: /%s - it takes no arguments", verb.c_str());
        return true;
    }
    if (windowAction == nullptr) {
        return false;
    }
    if (verb == SHUTDOWN_ACTION && !origin.IsConsole()) {
        // Whoever asked from afar has answered the exit question already; nobody may be at the screen.
        m_Session.SetExitWithoutAsking();
    }
    windowAction->m_Run(argument);
    return true;
}

bool CommandService::RunSessionAction(std::string_view verb, std::string_view argument) {
    if (verb == "boot") {
        BootByName(argument);
        return true;
    }
    if (!argument.empty()) {
        return false;
    }
    if (verb == "nextlevel") {
        (void)m_Session.NextLevel();
    } else if (verb == "players") {
        LogPlayers();
    } else if (verb == "status") {
        LogStatus();
    } else if (verb == "help") {
        m_Session.LogText(ACTIONS_HELP);
    } else {
        return false;
    }
    return true;
}

const WindowAction* CommandService::FindWindowAction(std::string_view verb, const CommandOrigin& origin) const {
    const auto found =
        std::ranges::find_if(m_Binding.m_Actions, [verb](const WindowAction& action) { return action.m_Name == verb; });
    if (found == m_Binding.m_Actions.end() || (!origin.IsConsole() && !found->m_AnyOrigin)) {
        return nullptr;
    }
    return &*found;
}

void CommandService::BootByName(std::string_view name) {
    if (name.find_first_not_of(' ') == std::string_view::npos) {
        m_Session.LogText("Usage: /boot <name> (the player's whole name, as /players lists it).");
        return;
    }
    for (const RosterPlayer& player : m_Session.Facts().Roster()) {
        if (player.m_Name == name) {
            (void)m_Session.Boot(player.m_Id);
            return;
        }
    }
    m_Session.LogLine("No player named %.*s.", static_cast<int>(name.size()), name.data());
}

void CommandService::LogPlayers() {
    const std::vector<RosterPlayer> roster = m_Session.Facts().Roster();
    m_Session.LogLine("Players: %d", static_cast<int>(roster.size()));
    for (const RosterPlayer& player : roster) {
        m_Session.LogText(FormatRosterLine(player));
    }
}

void CommandService::LogStatus() {
    const SessionStatus status = m_Session.Status();
    const std::pair<const char*, std::string> fields[] = {
        {"Name", status.m_ServerName},
        {"Running Time", m_Session.IsRunning() ? FormatRunningTime(status.m_RunningMs) : "0:00"},
        {"Net Service", status.m_NetService},
        {"Players", std::to_string(status.m_Players)},
        {"Current Level", status.m_CurrentLevel},
        {"Next Level", status.m_NextLevel},
        {"Time in Level", m_Session.IsRunning() ? FormatRunningTime(status.m_InLevelMs) : "0:00"},
        {"Level Goal", status.m_LevelGoal},
    };
    for (const auto& [label, value] : fields) {
        m_Session.LogLine("%s: %s", label, value.c_str());
    }
}

std::vector<std::string> CommandService::ActionNames(const CommandOrigin& origin) const {
    std::vector<std::string> names;
    for (const std::string_view name : ALL_ACTIONS) {
        const bool session = std::ranges::find(SESSION_ACTIONS, name) != SESSION_ACTIONS.end();
        if (session || FindWindowAction(name, origin) != nullptr) {
            names.push_back(std::string(1, ACTION_PREFIX) + std::string(name));
        }
    }
    return names;
}

} // namespace dravo
