// The console window's command input and its own actions: a line entered there goes to the command
// service as every console's line does, and the window lends the service the actions only it can do.
#include "ui/ConsoleWindow.h"

#include "host/console/ConsoleSecrets.h"
#include "platform/os/Text.h"
#include "res/ConsoleWindowTemplate.h"
#include "ui/ErrorBox.h"

namespace dravo {

using Control = ConsoleControl;

void ConsoleWindow::EnterLine(DialogApi& /*dialog*/, std::string_view line) {
    m_EmptyTabOnce = false;
    line = CutAtCharacter(line, COMMAND_INPUT_CHARS); // the engine takes no more; a character stays whole
    if (line.empty()) {
        return;
    }
    // A line that sets a secret stays out of the history, which is kept in a file.
    if (ConsoleSecrets::MaskCommand(line) == line) {
        m_History.Add(line);
    }
    (void)m_Commands.Run(line, CommandOrigin::Console());
}

// The question before pasted lines run: how many, the first of them, and what is left out.
std::string ConsoleWindow::PasteQuestion(const std::vector<std::string>& lines, size_t tooLong) {
    constexpr size_t SHOWN_LINES = 6;
    std::string question = "Run the " + std::to_string(lines.size()) + " pasted lines as commands?\n";
    for (size_t index = 0; index < lines.size() && index < SHOWN_LINES; ++index) {
        question += "\n  " + lines[index];
    }
    if (lines.size() > SHOWN_LINES) {
        question += "\n  (and " + std::to_string(lines.size() - SHOWN_LINES) + " more)";
    }
    if (tooLong > 0) {
        question += "\n\n" + std::to_string(tooLong) + " longer than a command (" +
                    std::to_string(COMMAND_INPUT_CHARS) + " bytes) will not run.";
    }
    return question;
}

// Several lines pasted at once: shown and asked about (No unless the operator says Yes), then each
// entered as if typed, in order.
bool ConsoleWindow::OnPasteLines(DialogApi& dialog, int id, const std::vector<std::string>& lines) {
    if (id != static_cast<int>(Control::CommandInput)) {
        return false;
    }
    std::vector<std::string> fitting;
    for (const std::string& line : lines) {
        if (line.size() <= COMMAND_INPUT_CHARS) {
            fitting.push_back(line);
        }
    }
    const size_t tooLong = lines.size() - fitting.size();
    if (fitting.empty()) {
        m_Session.LogText("The pasted lines are longer than a command (" + std::to_string(COMMAND_INPUT_CHARS) +
                          " bytes): none ran.");
        return true;
    }
    if (!ConfirmLoss(m_Windows, PasteQuestion(fitting, tooLong), APPLICATION_NAME)) {
        m_Session.LogText("The pasted lines did not run.");
        return true;
    }
    for (const std::string& line : fitting) {
        EnterLine(dialog, line);
    }
    return true;
}

std::vector<std::string> ConsoleWindow::OnHistoryLines(DialogApi& /*dialog*/, int id) {
    if (id != static_cast<int>(Control::CommandInput)) {
        return {};
    }
    return {m_History.Lines().begin(), m_History.Lines().end()};
}

// An action named by a face ("/players" on the headless face's standard input, F1's help).
bool ConsoleWindow::OnActionLine(DialogApi& /*dialog*/, std::string_view action) {
    (void)m_Commands.Run(std::string(1, CommandService::ACTION_PREFIX) + std::string(action), CommandOrigin::Console());
    return true; // the service says what it does not know
}

// F1: the actions, as /help lists them, then the keys of the face the operator pressed it on.
bool ConsoleWindow::OnHelpAsked(DialogApi& dialog, const std::vector<std::string>& keys) {
    (void)OnActionLine(dialog, "help");
    for (const std::string& line : keys) {
        m_Session.LogText(line);
    }
    return true;
}

void ConsoleWindow::BindCommands(DialogApi& dialog) {
    ConsoleBinding binding;
    binding.m_Post = [poster = m_Poster](std::function<void()> work, const std::function<void()>& gone) {
        return poster.Post([work = std::move(work)](DialogApi& /*dialog*/) { work(); }, gone);
    };
    // The buttons of the window, pressed by name; Clear and Options are the screen's own.
    DialogApi* api = &dialog;
    binding.m_Actions = {
        {"clear", false, [api](std::string_view) { api->SendCommand(Control::Clear); }},
        {"options", false, [api](std::string_view) { api->SendCommand(Control::Options); }},
        {"shutdown", true, [api](std::string_view) { api->SendCommand(Control::Shutdown); }},
        {"timestamps", false, [this, api](std::string_view) { ToggleTimes(*api); }},
    };
    m_Commands.BindConsole(std::move(binding));
}

} // namespace dravo
