// The console window's input entry for services: lines that run as if typed into the command input.
#include "ui/ConsoleWindow.h"

#include <algorithm>
#include <array>

namespace dravo {
namespace {

// The actions a service may name: those that need no one at the server's screen. Options opens a
// dialog there and Clear empties the operator's view, so they stay the operator's own.
constexpr std::array<std::string_view, 5> SERVICE_ACTIONS = {"players", "status", "boot", "nextlevel", "shutdown"};
constexpr std::string_view SHUTDOWN_ACTION = "shutdown";

} // namespace

bool ConsoleWindow::SubmitLine(std::string line, ConsoleLineHooks hooks) {
    auto finished = hooks.m_Finished;
    return m_Poster.Post(
        [this, line = std::move(line), hooks = std::move(hooks)](DialogApi& dialog) {
            if (hooks.m_Started) {
                hooks.m_Started();
            }
            const ConsoleLineResult result = RunInputLine(dialog, line);
            if (hooks.m_Finished) {
                hooks.m_Finished(result);
            }
        },
        [finished = std::move(finished)] {
            if (finished) {
                finished(ConsoleLineResult::WindowGone);
            }
        });
}

ConsoleLineResult ConsoleWindow::RunInputLine(DialogApi& dialog, const std::string& line) {
    if (line.size() > 1 && line[0] == '/' && line[1] != '/') {
        const std::string_view action = std::string_view(line).substr(1);
        const std::string_view verb = action.substr(0, action.find(' '));
        if (std::find(SERVICE_ACTIONS.begin(), SERVICE_ACTIONS.end(), verb) == SERVICE_ACTIONS.end()) {
            return ConsoleLineResult::UnknownAction;
        }
        if (verb == SHUTDOWN_ACTION && action == SHUTDOWN_ACTION) {
            // Whoever asked from afar has answered the exit question already; nobody may be at the screen.
            m_Session.SetExitWithoutAsking();
        }
        return OnActionLine(dialog, action) ? ConsoleLineResult::Ran : ConsoleLineResult::UnknownAction;
    }
    const std::string_view command = std::string_view(line).substr(line.size() > 1 && line[0] == '/' ? 1 : 0);
    if (!command.empty()) {
        m_Session.LogCommand(command);
        RunConsoleCommand(command);
    }
    return ConsoleLineResult::Ran;
}

} // namespace dravo
