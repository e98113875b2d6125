// TerminalWindowSystem: the face that shows dialogs on a text terminal (ncurses).
//
// Every dialog is drawn from its template (TerminalLayout, TerminalRenderer) and worked from the
// keyboard and, where the terminal reports it, the mouse (TerminalDialog). Nested dialogs - the
// options dialog over the console window, message boxes, the colour picker - are drawn over the ones
// below, which keep taking posted updates. The window thread waits for keys, posted work, timers and
// size changes together (poll on the terminal, the queue's wake-up descriptor and SIGWINCH), and a
// change is on the screen within one redraw interval. A size change or Ctrl+L lays everything out
// again and has every cell sent anew; below MIN_COLS x MIN_ROWS one line says what size is needed. SIGTERM and SIGINT
// ask the running dialogs to close without asking (a second request ends the innermost with Cancel); so does
// the terminal's hang-up, after which no dialog is shown. Shift is read only
// on a Linux virtual console. Message boxes with the exclamation icon are also written to the error stream once the
// screen is given back, so that a failure stays readable after the program ends.
#pragma once

#include "window/CloseRequests.h"
#include "window/DialogFace.h"
#include "window/WindowSystem.h"
#include "window/terminal/TerminalRenderer.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace dravo {

class TerminalDialog;
class TerminalSession;
class SignalWatcher;
class WindowThreadQueue;

struct TerminalOptions {
    int m_InputFd = 0;
    int m_OutputFd = 1;
    std::ostream* m_Err = nullptr; // where failures are repeated after the screen is gone; may be null
    std::ostream* m_Out = nullptr; // where late log lines go after the screen is gone; may be null
    PictureLookup m_Pictures;      // bitmap resources as text pictures
};

class TerminalWindowSystem final : public WindowSystem, private DialogFace {
public:
    // Shortest time between two redraws: updates in a burst are drawn together.
    static constexpr auto REDRAW_INTERVAL = std::chrono::milliseconds(40);
    static constexpr std::string_view BUSY_SIGN = " Please wait... ";
    // The smallest terminal the dialogs are drawn on; a smaller one shows only TooSmallText.
    static constexpr int MIN_COLS = 80;
    static constexpr int MIN_ROWS = 24;
    static std::string TooSmallText(int cols, int rows);
    // What a terminal that small shows: TooSmallText wrapped to its width, or a shorter text that still
    // names the size needed where that does not fit whole.
    static std::vector<std::string> TooSmallLines(int cols, int rows);
    // Written to standard error at the end when the run ended because its terminal went away.
    static constexpr std::string_view TERMINAL_GONE_NOTE = "The terminal went away: the server stopped.";

    // Takes the terminal; Usable() tells whether it could.
    explicit TerminalWindowSystem(TerminalOptions options);
    ~TerminalWindowSystem() override;

    bool Usable() const { return m_Session != nullptr; }
    // Any thread: what SIGTERM and SIGINT do.
    void RequestClose() override;

    int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) override;
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, MessageBoxDefault defaultButton) override;
    void SetWaitCursor(bool busy) override;
    bool IsShiftHeld() override;
    void Post(std::function<void()> work) override;
    std::optional<ColorRgb> ChooseColor(ColorRgb initial) override;
    bool CanShowDialogs() const override { return true; }
    void ShowLateLogLine(std::string_view line) override;
    void ShowNote(std::string_view note) override;

private:
    WindowSystem& Windows() override { return *this; }
    const std::shared_ptr<WindowThreadQueue>& Queue() override { return m_Queue; }
    void OnTextAppended(const ControlState& /*control*/, std::string_view /*text*/) override { m_Dirty = true; }
    void OnControlChanged(const ControlState& /*control*/) override;

    // messageBox: the dialog is a message box, whose keys do not say that the boxes before were dealt with.
    void RunLoop(TerminalDialog& dialog, bool messageBox);
    void ReadInput(TerminalDialog& dialog, bool messageBox);
    void DealtWithFailures();
    void Redraw();
    // After a size change or Ctrl+L: everything laid out and drawn anew, nothing kept from before.
    void Repaint();
    bool TooSmall() const;
    void Wait(std::chrono::steady_clock::time_point deadline);
    void LayOutAll();
    // The terminal hung up (its window closed, its SSH or tmux session ended): the running dialogs are
    // asked to close as by a stop signal, and every dialog after that ends at once with Cancel.
    void OnTerminalGone();
    uint64_t Activity() const;

    TerminalOptions m_Options;
    std::shared_ptr<WindowThreadQueue> m_Queue;
    std::vector<TerminalDialog*> m_Stack; // running dialogs, innermost last
    bool m_Dirty = true;
    std::chrono::steady_clock::time_point m_LastDraw{};
    uint64_t m_Changes = 0;
    int m_BusyDepth = 0;
    CloseRequests m_CloseRequests; // window thread; raised through posted work
    struct Failure {
        std::string m_Text;
        bool m_Box = false; // an exclamation box, rather than a note
    };
    std::vector<Failure> m_Failures; // exclamation boxes and notes, for standard error
    size_t m_FailuresDealtWith = 0;  // the boxes before this one were followed by the operator's work
    std::mutex m_LateMutex;
    std::vector<std::string> m_LateLines;     // written to standard output once the screen is gone
    std::unique_ptr<SignalWatcher> m_Resizes; // the terminal's size changes, noted on the window thread
    bool m_ResizeNoted = false;
    bool m_TerminalGone = false;
    bool m_OpeningQuestion = false;     // the next dialog is a message box
    bool m_OpeningSafeQuestion = false; // and it opens on No
    bool m_OpeningBesideFocus = false;  // the next dialog stands clear of the focused control below
    std::unique_ptr<TerminalSession> m_Session;
};

} // namespace dravo
