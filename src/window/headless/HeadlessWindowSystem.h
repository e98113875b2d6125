// HeadlessWindowSystem: the face for running without a screen (services, pipes, tests).
//
// Dialogs run with their full control model but nothing is drawn. Text appended to a log (a multi-line
// read-only edit) goes to the output stream, one line at a time. Each line of input is typed into the
// running dialog's one-line input edit and the default button is pressed, except a line that begins
// with "/", which names an action of the dialog ("//" types one "/"); the end of input only
// disables that edit. RequestClose() (what SIGTERM and SIGINT do) asks the running dialog to close with
// the forced flag; a second request ends it with Cancel outright. Message boxes are written to the error
// stream as "<caption>: <text>"; a Yes/No box is answered Yes whatever its default, since a question
// here only ever follows an action the operator typed by name (/shutdown, /clear). Shift is never held; the wait cursor
// shows nothing; the colour picker is always cancelled; CanShowDialogs() is false, since nothing but
// the input edit can be worked.
#pragma once

#include "platform/os/BlockingPool.h"
#include "window/CloseRequests.h"
#include "window/DialogFace.h"
#include "window/WindowSystem.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

namespace dravo {

class DialogApi;
class LineReader;
class WindowThreadQueue;

struct HeadlessOptions {
    int m_InputFd = 0;              // lines of input; -1 for none
    std::ostream* m_Out = nullptr;  // the log; required
    std::ostream* m_Err = nullptr;  // message boxes; required
    BlockingPool* m_Pool = nullptr; // where the input is read; required with an input
};

class HeadlessWindowSystem final : public WindowSystem, private DialogFace {
public:
    static constexpr char ACTION_PREFIX = '/';

    explicit HeadlessWindowSystem(const HeadlessOptions& options);
    ~HeadlessWindowSystem() override;

    // Any thread: what SIGTERM and SIGINT do.
    void RequestClose() override;

    int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) override;
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, MessageBoxDefault defaultButton) override;
    void SetWaitCursor(bool /*busy*/) override {}
    bool IsShiftHeld() override { return false; }
    void Post(std::function<void()> work) override;
    std::optional<ColorRgb> ChooseColor(ColorRgb /*initial*/) override { return std::nullopt; }
    bool CanShowDialogs() const override { return false; }
    void ShowLateLogLine(std::string_view line) override;
    void ShowNote(std::string_view note) override;

    // Input lines waiting for the window thread, at most.
    static constexpr int MAX_WAITING_LINES = 1000;

private:
    void TakeLine(std::string line);
    WindowSystem& Windows() override { return *this; }
    const std::shared_ptr<WindowThreadQueue>& Queue() override { return m_Queue; }
    void OnTextAppended(const ControlState& control, std::string_view text) override;
    void DeliverLine(DialogApi& dialog, const std::string& line);

    std::shared_ptr<WindowThreadQueue> m_Queue;
    std::atomic<int> m_WaitingLines{0}; // read and not yet typed
    std::atomic<bool> m_Dropping{false};
    std::mutex m_OutputMutex; // late lines and causes may come from other threads
    std::ostream& m_Out;
    std::ostream& m_Err;
    // Window thread only; filled through posted work.
    std::deque<std::string> m_PendingLines;
    bool m_InputEnded = false;
    CloseRequests m_CloseRequests; // window thread; raised through posted work
    // Last, so that their threads stop before the rest goes away.
    std::unique_ptr<LineReader> m_Reader;
};

} // namespace dravo
