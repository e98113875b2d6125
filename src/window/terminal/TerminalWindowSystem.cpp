// The terminal face: dialogs drawn with ncurses, worked from the keyboard and the mouse.
#include "window/terminal/TerminalWindowSystem.h"

#include "platform/os/SignalWatcher.h"
#include "window/DialogApi.h"
#include "window/WindowThreadQueue.h"
#include "window/terminal/TerminalColorPicker.h"
#include "window/terminal/TerminalDialog.h"
#include "window/terminal/TerminalMessageBox.h"
#include "window/terminal/TerminalSession.h"

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include <poll.h>

namespace dravo {
namespace {

using Clock = std::chrono::steady_clock;

// How long the loop sleeps when nothing is due; keys, work and wakes end the wait sooner.
constexpr auto IDLE_WAIT = std::chrono::hours(1);

} // namespace

TerminalWindowSystem::TerminalWindowSystem(TerminalOptions options)
    : m_Options(std::move(options)), m_Queue(std::make_shared<WindowThreadQueue>()) {
    // Before the screen starts, so that ncurses keeps its own resize handler out.
    m_Resizes = std::make_unique<SignalWatcher>(std::initializer_list<Signal>{Signal::Resize},
                                                [this](Signal) { m_Queue->Post([this] { m_ResizeNoted = true; }); });
    m_Session = TerminalSession::Open(m_Options.m_InputFd, m_Options.m_OutputFd);
}

TerminalWindowSystem::~TerminalWindowSystem() {
    m_Session.reset(); // the terminal as it was, before anything more is written to it
    if (m_Options.m_Out != nullptr) {
        std::scoped_lock lock(m_LateMutex);
        for (const std::string& line : m_LateLines) {
            *m_Options.m_Out << line << '\n';
        }
        m_Options.m_Out->flush();
    }
    if (m_Options.m_Err != nullptr) {
        for (size_t index = 0; index < m_Failures.size(); ++index) {
            if (!m_Failures[index].m_Box || index >= m_FailuresDealtWith) {
                *m_Options.m_Err << m_Failures[index].m_Text << '\n';
            }
        }
        m_Options.m_Err->flush();
    }
    m_Resizes.reset();
    m_Queue->Close();
}

void TerminalWindowSystem::ShowLateLogLine(std::string_view line) {
    std::scoped_lock lock(m_LateMutex);
    m_LateLines.emplace_back(line);
}

void TerminalWindowSystem::ShowNote(std::string_view note) {
    m_Failures.push_back({std::string(note), false});
}

// The operator went on working a dialog after the boxes shown so far (chose another service, another
// archive): they were dealt with, and are not repeated once the screen is given back.
void TerminalWindowSystem::DealtWithFailures() {
    m_FailuresDealtWith = m_Failures.size();
}

void TerminalWindowSystem::RequestClose() {
    m_Queue->Post([this] { m_CloseRequests.Raise(); });
}

void TerminalWindowSystem::Post(std::function<void()> work) {
    m_Queue->Post(std::move(work));
}

void TerminalWindowSystem::OnControlChanged(const ControlState& /*control*/) {
    ++m_Changes;
    m_Dirty = true;
}

uint64_t TerminalWindowSystem::Activity() const {
    return m_Changes + m_Queue->PostCount();
}

void TerminalWindowSystem::LayOutAll() {
    for (TerminalDialog* dialog : m_Stack) {
        dialog->LayOut(m_Session->Cols(), m_Session->Rows());
    }
    m_Dirty = true;
}

int TerminalWindowSystem::RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) {
    DialogApi dialog(dialogTemplate, procedure, *this);
    if (!m_Session) {
        dialog.Finish();
        return DIALOG_ID_CANCEL; // nothing can be shown, so nothing can be answered
    }
    if (m_TerminalGone) {
        dialog.Finish();
        return DIALOG_ID_CANCEL; // nobody is left to answer it
    }
    TerminalDialog view(dialog, [this] { return Activity(); });
    if (std::exchange(m_OpeningBesideFocus, false) && !m_Stack.empty()) {
        // The dialog below runs until this one ends, so its focused control can be asked at each layout.
        TerminalDialog* opener = m_Stack.back();
        view.OpenBeside([opener] { return opener->FocusCells(); });
    }
    view.LayOut(m_Session->Cols(), m_Session->Rows());
    if (std::exchange(m_OpeningSafeQuestion, false)) {
        view.AskAsLossQuestion();
    }
    const bool messageBox = std::exchange(m_OpeningQuestion, false);
    if (!messageBox && !m_Stack.empty() && m_Stack.back()->TypedIntoFirst()) {
        view.GuardTyping(); // opened by a key over the console window, whose typing may go on into it
    }
    if (!messageBox) {
        DealtWithFailures();
    }
    m_Stack.push_back(&view);
    m_Dirty = true;
    dialog.Start();
    RunLoop(view, messageBox);
    m_Stack.pop_back();
    m_Dirty = true;
    dialog.Finish();
    return dialog.Result();
}

void TerminalWindowSystem::RunLoop(TerminalDialog& view, bool messageBox) {
    DialogApi& dialog = view.Api();
    CloseRequests::Watch closes(m_CloseRequests);
    while (!dialog.Ended()) {
        m_Queue->ConsumeWakeups();
        m_Queue->RunPending();
        if (dialog.Ended()) {
            break;
        }
        if (closes.Deliver(dialog)) {
            continue;
        }
        ReadInput(view, messageBox);
        if (dialog.Ended()) {
            break;
        }
        const Clock::time_point now = Clock::now();
        m_Queue->RunDueTimers(now);
        if (dialog.Ended()) {
            break;
        }
        const auto nextTimer = m_Queue->NextTimerDue();
        Clock::time_point deadline = nextTimer ? *nextTimer : now + IDLE_WAIT;
        if (const auto keyDeadline = m_Session->KeyDeadline()) {
            deadline = std::min(deadline, *keyDeadline); // a lone Esc becomes a key when nothing follows
        }
        if (m_Dirty && !m_TerminalGone) {
            if (now - m_LastDraw >= REDRAW_INTERVAL) {
                Redraw();
            } else {
                deadline = std::min(deadline, m_LastDraw + REDRAW_INTERVAL);
            }
        }
        Wait(deadline);
    }
}

std::string TerminalWindowSystem::TooSmallText(int cols, int rows) {
    return "Terminal too small (" + std::to_string(cols) + " x " + std::to_string(rows) + "): DravoServ needs " +
           std::to_string(MIN_COLS) + " x " + std::to_string(MIN_ROWS) + ".";
}

std::vector<std::string> TerminalWindowSystem::TooSmallLines(int cols, int rows) {
    const std::string needed = std::to_string(MIN_COLS) + " x " + std::to_string(MIN_ROWS);
    // From the whole sentence down to the size alone: the longest that shows whole, no word cut.
    const std::string texts[] = {TooSmallText(cols, rows), "Too small: DravoServ needs " + needed + ".",
                                 "Needs " + needed, std::to_string(MIN_COLS) + "x" + std::to_string(MIN_ROWS)};
    std::vector<std::string> lines;
    for (const std::string& text : texts) {
        lines = TerminalRenderer::WrapWords(text, cols);
        size_t longestWord = 0;
        for (size_t from = 0; from < text.size();) {
            const size_t end = std::min(text.find(' ', from), text.size());
            longestWord = std::max(longestWord, end - from);
            from = end + 1;
        }
        if (std::cmp_less_equal(lines.size(), rows) && std::cmp_less_equal(longestWord, cols)) {
            break;
        }
    }
    return lines;
}

bool TerminalWindowSystem::TooSmall() const {
    return m_Session->Cols() < MIN_COLS || m_Session->Rows() < MIN_ROWS;
}

void TerminalWindowSystem::Repaint() {
    m_Session->ForgetScreen();
    LayOutAll();
    m_LastDraw = {}; // at once
}

void TerminalWindowSystem::ReadInput(TerminalDialog& view, bool messageBox) {
    if (std::exchange(m_ResizeNoted, false)) {
        (void)m_Session->TakeResize();
        Repaint(); // even at the same size: the terminal may have moved or cut what it showed
    }
    while (!view.Api().Ended()) {
        const std::optional<KeyEvent> key = m_Session->ReadKey();
        if (!key) {
            return;
        }
        m_Dirty = true;
        if (key->m_Kind == KeyKind::Resize || key->m_Kind == KeyKind::Repaint) {
            (void)m_Session->TakeResize();
            Repaint();
            continue;
        }
        if (TooSmall()) {
            continue; // keys for a screen the operator cannot see are dropped
        }
        if (!messageBox) {
            DealtWithFailures();
        }
        view.HandleKey(*key); // may run a nested dialog, which reads the keys meanwhile
        // What the key posted (a double click posting its command) comes before the next key.
        m_Queue->ConsumeWakeups();
        m_Queue->RunPending();
    }
}

void TerminalWindowSystem::Wait(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int timeout = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
    // A terminal that is gone is not watched: it would report its hang-up at once, again and again.
    pollfd watched[] = {
        {m_TerminalGone ? -1 : m_Session->InputFd(), POLLIN, 0},
        {m_Queue->WakeupFd(), POLLIN, 0},
    };
    // A signal or an error only ends the wait early.
    if (poll(watched, std::size(watched), timeout) > 0 && (watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        OnTerminalGone();
    }
}

void TerminalWindowSystem::OnTerminalGone() {
    if (std::exchange(m_TerminalGone, true)) {
        return;
    }
    // Nobody can see or answer the dialogs any more: the run ends in order, as on a stop signal.
    m_Failures.push_back({std::string(TERMINAL_GONE_NOTE), false});
    m_CloseRequests.Raise();
}

void TerminalWindowSystem::Redraw() {
    TerminalCanvas canvas(m_Session->Cols(), m_Session->Rows());
    m_Dirty = false;
    m_LastDraw = Clock::now();
    if (TooSmall()) {
        const auto lines = TooSmallLines(canvas.Cols(), canvas.Rows());
        for (size_t row = 0; row < lines.size() && row < static_cast<size_t>(canvas.Rows()); ++row) {
            canvas.Text(0, static_cast<int>(row), lines[row], CellStyle::Normal, canvas.Cols());
        }
        m_Session->Present(canvas, std::nullopt);
        return;
    }
    TerminalRenderer renderer(canvas, m_Options.m_Pictures);
    std::optional<CursorCell> cursor;
    for (TerminalDialog* dialog : m_Stack) {
        cursor = dialog->Draw(renderer);
    }
    if (m_BusyDepth > 0) {
        if (m_Stack.empty()) {
            canvas.Text(0, 0, BUSY_SIGN, CellStyle::Busy, canvas.Cols());
        } else {
            renderer.DrawSign(m_Stack.back()->Layout(), BUSY_SIGN);
        }
        cursor.reset();
    }
    m_Session->Present(canvas, cursor);
}

MessageBoxResult TerminalWindowSystem::ShowMessageBox(std::string_view text, std::string_view caption,
                                                      MessageBoxButtons buttons, MessageBoxIcon icon,
                                                      MessageBoxDefault defaultButton) {
    if (icon == MessageBoxIcon::Exclamation) {
        m_Failures.push_back({std::string(caption) + ": " + std::string(text), true});
    }
    TerminalMessageBox box(text, caption, buttons, icon, defaultButton);
    m_OpeningQuestion = true; // it answers Enter at once: it opens on its safe answer
    m_OpeningSafeQuestion = buttons == MessageBoxButtons::YesNo && defaultButton == MessageBoxDefault::Second;
    return box.Answer(RunDialog(box.Template(), box));
}

std::optional<ColorRgb> TerminalWindowSystem::ChooseColor(ColorRgb initial) {
    TerminalColorPicker picker(initial);
    m_OpeningBesideFocus = true; // the colour's button and its label stay in view
    (void)RunDialog(TerminalColorPicker::Template(), picker);
    m_OpeningBesideFocus = false; // also when no dialog could be shown
    return picker.Chosen();
}

void TerminalWindowSystem::SetWaitCursor(bool busy) {
    m_BusyDepth = std::max(m_BusyDepth + (busy ? 1 : -1), 0);
    if (m_Session) {
        Redraw(); // now: the window thread is about to be busy
    }
}

bool TerminalWindowSystem::IsShiftHeld() {
    return m_Session && m_Session->IsShiftHeld();
}

} // namespace dravo
