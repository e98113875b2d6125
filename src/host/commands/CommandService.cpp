// Running console lines from every console: the line's way, the window thread, the binding.
#include "host/commands/CommandService.h"

#include "host/console/ConsoleSecrets.h"
#include "host/console/LogCapture.h"
#include "platform/os/Text.h"

#include <memory>

namespace dravo {

CommandService::CommandService(ServerSession& session, CommandRecords records)
    : m_Session(session), m_Records(records), m_Timer([this] { (void)Post([this] { AdvanceCountdown(); }); }) {}

CommandResult CommandService::Run(std::string_view line, const CommandOrigin& origin, size_t resultBytes) {
    line = CutAtCharacter(line, MAX_LINE_CHARS); // a character cut in two would reach the engine as garbage
    CommandResult result;
    if (line.empty()) {
        return result;
    }
    LogCapture capture(m_Session.Log(), resultBytes);
    // A line that sets a secret shows masked; a line from elsewhere than this console says where from.
    const std::string shown = ConsoleSecrets::MaskCommand(line);
    m_Session.LogCommand(line, origin.Describe());
    if (line.size() > 1 && line[0] == ACTION_PREFIX && line[1] != ACTION_PREFIX) {
        if (!RunAction(line.substr(1), origin) && !RunOperatorCommand(line.substr(1), origin)) {
            result.m_Outcome = CommandOutcome::UnknownAction;
            if (origin.IsConsole()) {
                const std::string typed(line);
                m_Session.LogLine("Unknown action \"%s\"; type /help for the list.", typed.c_str());
            }
        }
    } else {
        const std::string_view command = line.substr(line.size() > 1 && line[0] == ACTION_PREFIX ? 1 : 0);
        if (RunOperatorCommand(command, origin)) {
            result.m_Outcome = CommandOutcome::Ran;
        } else if (const std::optional<CommandOutcome> kept = RunSetting(command)) {
            result.m_Outcome = *kept;
        } else {
            const size_t answered = capture.Lines().size();
            if (m_Session.RunEngineCommand(command) && capture.Lines().size() == answered) {
                ConfirmEngineSetting(command); // the engine changes a variable without a word
            }
        }
    }
    result.m_LeftOut = capture.LeftOut();
    result.m_Lines = capture.TakeLines();
    if (!result.m_Lines.empty()) {
        result.m_Lines.front() = shown; // the answer begins with the line as it was sent
    }
    return result;
}

bool CommandService::Submit(std::string line, CommandOrigin origin, size_t resultBytes,
                            std::function<void(CommandResult)> done) {
    // Shared by the work and its `gone`: whichever runs calls `done`, once.
    auto finished = std::make_shared<std::function<void(CommandResult)>>(std::move(done));
    auto work = [this, line = std::move(line), origin = std::move(origin), resultBytes, finished] {
        CommandResult result = Run(line, origin, resultBytes);
        if (*finished) {
            (*finished)(std::move(result));
        }
    };
    auto gone = [finished] {
        if (*finished) {
            (*finished)(CommandResult{CommandOutcome::ConsoleGone, {}, 0});
        }
    };
    std::function<bool(std::function<void()>, std::function<void()>)> post;
    {
        std::scoped_lock lock(m_BindingMutex);
        post = m_Binding.m_Post;
    }
    if (!post) {
        gone();
        return false;
    }
    return post(std::move(work), std::move(gone));
}

bool CommandService::Post(std::function<void()> work) {
    std::function<bool(std::function<void()>, std::function<void()>)> post;
    {
        std::scoped_lock lock(m_BindingMutex);
        post = m_Binding.m_Post;
    }
    return post && post(std::move(work), [] {});
}

void CommandService::BindConsole(ConsoleBinding binding) {
    std::scoped_lock lock(m_BindingMutex);
    m_Binding = std::move(binding);
}

void CommandService::UnbindConsole() {
    ConsoleBinding old;
    {
        std::scoped_lock lock(m_BindingMutex);
        old = std::exchange(m_Binding, {});
    }
}

} // namespace dravo
