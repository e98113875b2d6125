// The headless face: dialogs without a screen, the log on standard output, commands from standard input.
#include "window/headless/HeadlessWindowSystem.h"

#include "platform/os/LineReader.h"
#include "window/DialogApi.h"
#include "window/WindowThreadQueue.h"

#include <chrono>
#include <stdexcept>
#include <utility>

namespace dravo {
namespace {

// How long the loop sleeps when no timer is set; work and wakes end the wait sooner.
constexpr auto IDLE_WAIT = std::chrono::hours(1);

// The text with its line breaks made into single spaces, for one line of the error stream.
std::string OneLine(std::string_view text) {
    std::string line;
    bool pendingSpace = false;
    for (const char c : text) {
        if (c == '\n' || c == '\r') {
            pendingSpace = !line.empty();
            continue;
        }
        if (pendingSpace) {
            line.push_back(' ');
            pendingSpace = false;
        }
        line.push_back(c);
    }
    return line;
}

// Appended log text as output lines: "\r\n" becomes "\n", and the breaks at either end are dropped
// (the log puts its break before each line).
std::string LogLines(std::string_view text) {
    std::string lines;
    for (const char c : text) {
        if (c != '\r') {
            lines.push_back(c);
        }
    }
    const size_t first = lines.find_first_not_of('\n');
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = lines.find_last_not_of('\n');
    return lines.substr(first, last - first + 1);
}

} // namespace

HeadlessWindowSystem::HeadlessWindowSystem(const HeadlessOptions& options)
    : m_Queue(std::make_shared<WindowThreadQueue>()), m_Out(*options.m_Out), m_Err(*options.m_Err) {
    if (options.m_InputFd < 0) {
        m_Queue->Post([this] { m_InputEnded = true; });
        return;
    }
    if (options.m_Pool == nullptr) {
        throw std::invalid_argument("the headless face reads its input on a pool");
    }
    m_Reader = std::make_unique<LineReader>(
        options.m_InputFd, *options.m_Pool, [this](std::string line) { TakeLine(std::move(line)); },
        [this] { m_Queue->Post([this] { m_InputEnded = true; }); });
}

HeadlessWindowSystem::~HeadlessWindowSystem() {
    m_Reader.reset();
    m_Queue->Close();
}

// Reader thread. Lines wait for the window thread; beyond MAX_WAITING_LINES they are dropped (a pipe
// that floods the console costs no memory), and the drop is said once per flood.
void HeadlessWindowSystem::TakeLine(std::string line) {
    if (m_WaitingLines.fetch_add(1) >= MAX_WAITING_LINES) {
        --m_WaitingLines;
        if (!m_Dropping.exchange(true)) {
            m_Queue->Post([this] {
                std::scoped_lock lock(m_OutputMutex);
                m_Err << "DravoServ: more than " << MAX_WAITING_LINES
                      << " lines of input are waiting; the next ones are dropped until the console catches up.\n"
                      << std::flush;
            });
        }
        return;
    }
    m_Queue->Post([this, line = std::move(line)] { m_PendingLines.push_back(line); });
}

void HeadlessWindowSystem::RequestClose() {
    m_Queue->Post([this] { m_CloseRequests.Raise(); });
}

void HeadlessWindowSystem::Post(std::function<void()> work) {
    m_Queue->Post(std::move(work));
}

int HeadlessWindowSystem::RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) {
    DialogApi dialog(dialogTemplate, procedure, *this);
    CloseRequests::Watch closes(m_CloseRequests);
    bool inputDisabled = false;
    dialog.Start();
    while (!dialog.Ended()) {
        // Posted work first, then input, then timers: input waits behind what was posted before it.
        m_Queue->RunPending();
        if (dialog.Ended()) {
            break;
        }
        if (closes.Deliver(dialog)) {
            continue;
        }
        if (!m_PendingLines.empty()) {
            const std::string line = std::move(m_PendingLines.front());
            m_PendingLines.pop_front();
            if (--m_WaitingLines == 0) {
                m_Dropping = false;
            }
            DeliverLine(dialog, line);
            continue;
        }
        if (m_InputEnded && !inputDisabled) {
            inputDisabled = true;
            if (ControlState* input = dialog.Model().InputEdit()) {
                (void)dialog.EnableItem(input->Id(), false);
            }
        }
        m_Queue->RunDueTimers(WindowThreadQueue::Clock::now());
        if (dialog.Ended()) {
            break;
        }
        const auto next = m_Queue->NextTimerDue();
        m_Queue->WaitForWork(next ? *next : WindowThreadQueue::Clock::now() + IDLE_WAIT);
    }
    dialog.Finish();
    return dialog.Result();
}

void HeadlessWindowSystem::DeliverLine(DialogApi& dialog, const std::string& line) {
    // "/action" names an action of the dialog; "//text" types "/text".
    if (line.size() > 1 && line[0] == ACTION_PREFIX && line[1] != ACTION_PREFIX) {
        if (!dialog.DeliverActionLine(std::string_view(line).substr(1))) {
            std::scoped_lock lock(m_OutputMutex);
            m_Err << "Unknown action \"" << line << "\"; type /help for the list.\n" << std::flush;
        }
        return;
    }
    const std::string text = line.size() > 1 && line[0] == ACTION_PREFIX ? line.substr(1) : line;
    if (ControlState* input = dialog.Model().InputEdit()) {
        if (text.size() > static_cast<size_t>(input->m_TypingLimit)) {
            // Sent cut short, a command could do something else than the one typed.
            std::scoped_lock lock(m_OutputMutex);
            m_Err << "Not sent: a command is at most " << input->m_TypingLimit << " characters, and this one has "
                  << text.size() << ".\n"
                  << std::flush;
            return;
        }
        (void)dialog.SetItemText(input->Id(), text);
    }
    (void)dialog.PressDefaultButton();
}

void HeadlessWindowSystem::OnTextAppended(const ControlState& control, std::string_view text) {
    if (!control.IsLog()) {
        return;
    }
    const std::string lines = LogLines(text);
    if (!lines.empty()) {
        std::scoped_lock lock(m_OutputMutex);
        m_Out << lines << '\n' << std::flush;
    }
}

void HeadlessWindowSystem::ShowLateLogLine(std::string_view line) {
    std::scoped_lock lock(m_OutputMutex);
    m_Out << line << '\n' << std::flush;
}

void HeadlessWindowSystem::ShowNote(std::string_view note) {
    std::scoped_lock lock(m_OutputMutex);
    m_Err << OneLine(note) << '\n' << std::flush;
}

MessageBoxResult HeadlessWindowSystem::ShowMessageBox(std::string_view text, std::string_view caption,
                                                      MessageBoxButtons buttons, MessageBoxIcon /*icon*/,
                                                      MessageBoxDefault /*defaultButton*/) {
    std::scoped_lock lock(m_OutputMutex);
    m_Err << caption << ": " << OneLine(text);
    const MessageBoxResult answer = buttons == MessageBoxButtons::YesNo ? MessageBoxResult::Yes : MessageBoxResult::Ok;
    if (answer == MessageBoxResult::Yes) {
        m_Err << " (answered Yes)";
    }
    m_Err << '\n' << std::flush;
    return answer;
}

} // namespace dravo
