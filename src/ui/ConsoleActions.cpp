// The console window's command input: a line entered there, and the actions typed by name ("/action",
// in the command input of every face and on the headless face's standard input): every button of the
// window, and what a screen would show.
#include "ui/ConsoleWindow.h"

#include "host/console/ConsoleSecrets.h"
#include "res/ConsoleWindowTemplate.h"

namespace dravo {
namespace {

using Control = ConsoleControl;

constexpr const char* ACTIONS_HELP =
    "Actions: /boot <name>, /nextlevel, /clear, /options, /shutdown, /players, /status, /help. "
    "Any other line is a console command; begin it with // to send one that starts with /.";
constexpr char ACTION_PREFIX = '/';

} // namespace

void ConsoleWindow::EnterLine(DialogApi& dialog, std::string_view line) {
    line = line.substr(0, COMMAND_INPUT_CHARS);
    if (line.empty()) {
        return;
    }
    // A line that sets a secret shows masked and stays out of the history, which is kept in a file.
    m_Session.LogCommand(line);
    if (ConsoleSecrets::MaskCommand(line) == line) {
        m_History.Add(line);
    }
    if (line.size() > 1 && line[0] == ACTION_PREFIX && line[1] != ACTION_PREFIX) {
        if (!OnActionLine(dialog, line.substr(1))) {
            const std::string typed(line);
            m_Session.LogLine("Unknown action \"%s\"; type /help for the list.", typed.c_str());
        }
        return;
    }
    RunConsoleCommand(line.size() > 1 && line[0] == ACTION_PREFIX ? line.substr(1) : line);
}

bool ConsoleWindow::OnActionLine(DialogApi& dialog, std::string_view action) {
    const size_t split = action.find(' ');
    const std::string_view verb = action.substr(0, split);
    const std::string_view argument = split == std::string_view::npos ? "" : action.substr(split + 1);
    if (verb == "boot" && !argument.empty()) {
        for (int index = 0; index < dialog.ListCount(Control::PlayerList); ++index) {
            if (PlayerNameOnLine(dialog.ListText(Control::PlayerList, index).value_or("")) == argument) {
                dialog.ListSetSelection(Control::PlayerList, index);
                dialog.SendCommand(Control::PlayerList, Notification::SelectionChange);
                dialog.SendCommand(Control::Boot);
                return true;
            }
        }
        m_Session.LogLine("No player named %.*s.", static_cast<int>(argument.size()), argument.data());
        return true;
    }
    if (!argument.empty()) {
        return false;
    }
    if (verb == "nextlevel") {
        dialog.SendCommand(Control::NextLevelButton);
    } else if (verb == "clear") {
        dialog.SendCommand(Control::Clear);
    } else if (verb == "options") {
        dialog.SendCommand(Control::Options);
    } else if (verb == "shutdown") {
        dialog.SendCommand(Control::Shutdown);
    } else if (verb == "players") {
        const int count = dialog.ListCount(Control::PlayerList);
        m_Session.LogLine("Players: %d", count);
        for (int index = 0; index < count; ++index) {
            m_Session.LogText(dialog.ListText(Control::PlayerList, index).value_or(""));
        }
    } else if (verb == "status") {
        LogStatus(dialog);
    } else if (verb == "help") {
        m_Session.LogText(ACTIONS_HELP);
    } else {
        return false;
    }
    return true;
}

void ConsoleWindow::LogStatus(DialogApi& dialog) {
    const std::pair<const char*, Control> fields[] = {
        {"Name", Control::ServerName},
        {"Running Time", Control::RunningTime},
        {"Net Service", Control::NetService},
        {"Players", Control::PlayerCount},
        {"Current Level", Control::CurrentLevel},
        {"Next Level", Control::NextLevelName},
        {"Time in Level", Control::TimeInLevel},
        {"Level Goal", Control::LevelGoal},
    };
    for (const auto& [label, id] : fields) {
        const std::string value = dialog.GetItemText(id);
        m_Session.LogLine("%s: %s", label, value.c_str());
    }
}

} // namespace dravo
