// WindowSystem: the window services the program needs, behind one seam.
//
// Contract. One thread, the window thread (the process's main thread), runs
// dialogs, message boxes and everything posted to it. Any thread may call
// Post(): the work is queued and runs on the window thread inside the modal
// loop of the dialog that is running; Post() never waits. Faces, each a
// library of its own in a folder below this one: headless (line mode, standard
// streams), terminal (dialogs on a text terminal; POSIX systems) and win32 (real
// dialogs; Windows). The program chooses among them in app; the tests run
// dialogs on a scripted face of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace dravo {

struct DialogTemplate;
class DialogProcedure;

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxIcon { None, Information, Question, Exclamation };
enum class MessageBoxResult { Ok, Yes, No };
// The button a message box opens on, which Enter presses: the first (OK, Yes) or the second (No). A
// question whose Yes loses something (the game, the log, the setup) opens on No.
enum class MessageBoxDefault { First, Second };

// A colour as the colour picker gives it, 0 to 255 a component.
struct ColorRgb {
    uint8_t m_Red = 0;
    uint8_t m_Green = 0;
    uint8_t m_Blue = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Runs a dialog modally until its procedure ends it; returns the end value.
    virtual int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) = 0;
    // Shows a message box and waits for the operator's answer.
    virtual MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                            MessageBoxIcon icon, MessageBoxDefault defaultButton) = 0;
    // Shows or removes the busy sign; calls nest.
    virtual void SetWaitCursor(bool busy) = 0;
    // True when the Shift key is held; false where the platform cannot tell.
    virtual bool IsShiftHeld() = 0;
    // Queues work for the window thread. Never blocks; safe from any thread.
    virtual void Post(std::function<void()> work) = 0;
    // Asks the running dialog to close, as the close box does, with the forced flag; a second request
    // ends it with Cancel outright. A request made while no dialog runs goes to the next one. Never
    // blocks; safe from any thread (a stop signal's).
    virtual void RequestClose() = 0;
    // Lets the operator pick a colour, starting at the given one; nothing when cancelled.
    virtual std::optional<ColorRgb> ChooseColor(ColorRgb initial) = 0;
    // True when the operator sees the dialogs and can work all their controls, as the setup pages
    // need; false for a face that runs dialogs unseen and only feeds lines to their input edit.
    virtual bool CanShowDialogs() const = 0;
    // A console log line that arrived when no dialog can show it any more (while the program ends):
    // written where the face writes its log, or kept for once the screen is given back. Any thread;
    // never blocks.
    virtual void ShowLateLogLine(std::string_view line) = 0;
    // A line the operator must read outside the dialogs: the cause behind a message box just shown (a
    // system error text, the engine's reason), or what start-up left out of a file. Standard error in
    // the headless face, after the screen is given back in the terminal face. Window thread.
    virtual void ShowNote(std::string_view note) = 0;
};

// Shows the busy sign for the lifetime of the guard.
class WaitCursor {
public:
    explicit WaitCursor(WindowSystem& windows) : m_Windows(windows) { m_Windows.SetWaitCursor(true); }
    ~WaitCursor() { m_Windows.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    WindowSystem& m_Windows;
};

} // namespace dravo
