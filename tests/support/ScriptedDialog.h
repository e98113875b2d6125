// ScriptedDialog: the operator's hands on a dialog run by the scripted face - what a test script uses
// to type, click, select and close, and to read what the dialog shows.
//
// Actions behave as the operator's would: a hidden or disabled control cannot be used, a read-only edit
// cannot be typed into, and a list box reports selection changes and double clicks only when it
// notifies. An action returns false when the operator could not do it. After each action the work
// posted meanwhile runs, as a real loop would run it next. A face that runs dialogs on real controls
// gives its scripts a subclass whose actions and readings go through those controls, and whose posted
// work runs in that face's own loop, so that the same scripts run there.
#pragma once

#include "window/ControlId.h"
#include "window/DialogApi.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dravo {

class WindowThreadQueue;

class ScriptedDialog {
public:
    ScriptedDialog(DialogApi& dialog, WindowThreadQueue& queue) : m_Dialog(dialog), m_Queue(&queue) {}
    virtual ~ScriptedDialog() = default;
    ScriptedDialog(const ScriptedDialog&) = delete;
    ScriptedDialog& operator=(const ScriptedDialog&) = delete;

    // What the dialog shows.
    const DialogModel& Model() const { return m_Dialog.Model(); }
    const std::string& Title() const { return m_Dialog.Title(); }
    virtual std::string Text(ControlId id) const { return m_Dialog.GetItemText(id); }
    virtual bool IsChecked(ControlId id) const { return m_Dialog.IsChecked(id); }
    virtual bool IsEnabled(ControlId id) const { return m_Dialog.IsEnabled(id); }
    virtual bool IsVisible(ControlId id) const { return m_Dialog.IsVisible(id); }
    virtual int ListCount(ControlId id) const { return m_Dialog.ListCount(id); }
    virtual std::optional<std::string> ListText(ControlId id, int index) const { return m_Dialog.ListText(id, index); }
    std::optional<int64_t> ListData(ControlId id, int index) const { return m_Dialog.ListData(id, index); }
    virtual int Selection(ControlId id) const { return m_Dialog.ListSelection(id); }
    bool Ended() const { return m_Dialog.Ended(); }
    // The dialog itself, for calling a procedure's handlers directly.
    DialogApi& Api() { return m_Dialog; }
    int Result() const { return m_Dialog.Result(); }

    // Operator actions.
    virtual bool SetText(ControlId id, std::string_view text); // types into an edit (replacing its text)
    virtual bool Click(ControlId id);                          // a button; a check box toggles
    bool SetChecked(ControlId id, bool checked);               // clicks the check box when it differs
    virtual bool Select(ControlId id, int index);              // clicks a list item
    bool SelectText(ControlId id, std::string_view text);
    virtual bool DoubleClick(ControlId id, int index);
    virtual bool PressEnter();  // the default button, or the OK command when there is none
    virtual bool PressEscape(); // the Cancel command
    virtual bool Close();       // the close box: a close request
    bool ForceClose();          // a close request from the system shutting down

    // The window system's side.
    bool FireTimer(int timerId); // false when the dialog has no such timer (or its face fires its own)
    // Runs posted work until none is left; returns how much ran.
    virtual size_t RunPosted();
    // Runs posted work as it arrives, from any thread, until done() holds or the bound passes.
    virtual bool RunPostedUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

protected:
    // For a face with a loop of its own: it runs posted work and timers itself (RunPosted).
    explicit ScriptedDialog(DialogApi& dialog) : m_Dialog(dialog), m_Queue(nullptr) {}

    ControlState* Usable(int id);
    bool Settle(bool delivered);

    DialogApi& m_Dialog;
    WindowThreadQueue* m_Queue;
};

} // namespace dravo
