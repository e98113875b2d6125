// ScriptedWindowSystem: the face for tests. Each dialog run follows a script of operator actions
// registered for its template; message boxes and the colour picker take queued answers; everything
// shown is recorded. Nothing runs by itself: timers fire and posted work runs when the script says so
// (and posted work after every action).
#pragma once

#include "support/ScriptedDialog.h"
#include "window/DialogFace.h"
#include "window/WindowSystem.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class WindowThreadQueue;

class ScriptedWindowSystem : public WindowSystem, private DialogFace {
public:
    using Script = std::function<void(ScriptedDialog&)>;
    // The result of a dialog whose script ended without the procedure ending it.
    static constexpr int UNFINISHED = -1;

    struct MessageBoxRecord {
        std::string m_Text;
        std::string m_Caption;
        MessageBoxButtons m_Buttons = MessageBoxButtons::Ok;
        MessageBoxIcon m_Icon = MessageBoxIcon::None;
        MessageBoxResult m_Result = MessageBoxResult::Ok;
        bool m_Answered = false;                                // false when no answer was queued for a Yes/No box
        MessageBoxDefault m_Default = MessageBoxDefault::First; // the button Enter presses
    };
    struct DialogRecord {
        std::string m_Key;         // template name or number
        int m_Result = UNFINISHED; // what RunDialog returned
        bool m_Finished = false;   // the procedure ended the dialog
    };

    ScriptedWindowSystem();
    ~ScriptedWindowSystem() override;

    // Scripts run in the order added, one per run of a dialog with that template key ("NET_GAME",
    // "129"). A dialog run without a script shows, runs its posted work, and is left unfinished.
    void AddScript(std::string_view templateKey, Script script);
    void AddScript(int templateNumber, Script script) { AddScript(std::to_string(templateNumber), std::move(script)); }
    // Answers for the next message boxes, first in first out. Without one an OK box answers Ok and a
    // Yes/No box what Enter would, its default button (recorded as unanswered).
    void QueueAnswer(MessageBoxResult answer) { m_Answers.push_back(answer); }
    // Answers for the colour picker; nothing queued, or std::nullopt, is a cancelled picker.
    void QueueColor(std::optional<ColorRgb> color) { m_Colors.push_back(color); }
    void SetShiftHeld(bool held) { m_ShiftHeld = held; }
    // Timer ids the face refuses, to test a procedure's fallback.
    void RefuseTimerIds(std::set<int> ids) { m_RefusedTimers = std::move(ids); }

    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_MessageBoxes; }
    const std::vector<DialogRecord>& Dialogs() const { return m_Dialogs; }
    int ColorPickerShows() const { return m_ColorPickerShows; }
    ColorRgb LastColorPickerStart() const { return m_LastColorStart; } // the colour it last opened at
    int WaitCursorDepth() const { return m_WaitCursorDepth; }
    int WaitCursorShows() const { return m_WaitCursorShows; } // times the busy sign appeared
    size_t UnusedScripts() const;
    // The template key of every script that was added but never ran, once per script.
    std::vector<std::string> UnusedScriptKeys() const;

    // Runs work posted while no dialog runs; returns how much ran.
    size_t RunPending();
    // Runs posted work as it arrives until done() holds or the bound passes.
    bool RunPendingUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

    int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) override;
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, MessageBoxDefault defaultButton) override;
    void SetWaitCursor(bool busy) override;
    bool IsShiftHeld() override { return m_ShiftHeld; }
    void Post(std::function<void()> work) override;
    // Delivered to the running dialog with the next posted work, as the other faces do.
    void RequestClose() override;
    int CloseRequests() const { return m_CloseRequests; }
    std::optional<ColorRgb> ChooseColor(ColorRgb initial) override;
    bool CanShowDialogs() const override { return m_ShowsDialogs; }
    // As the headless face: dialogs run unseen, only their input edit is fed.
    void HideDialogs() { m_ShowsDialogs = false; }
    void ShowLateLogLine(std::string_view line) override;
    void ShowNote(std::string_view note) override;

    // What was shown outside the dialogs, in order.
    std::vector<std::string> LateLogLines() const;
    std::vector<std::string> Notes() const;

private:
    WindowSystem& Windows() override { return *this; }
    const std::shared_ptr<WindowThreadQueue>& Queue() override { return m_Queue; }
    bool AcceptsTimer(int timerId) override { return timerId >= 0 && !m_RefusedTimers.contains(timerId); }

    std::shared_ptr<WindowThreadQueue> m_Queue;
    std::map<std::string, std::deque<Script>, std::less<>> m_Scripts;
    std::deque<MessageBoxResult> m_Answers;
    std::deque<std::optional<ColorRgb>> m_Colors;
    std::set<int> m_RefusedTimers;
    std::vector<MessageBoxRecord> m_MessageBoxes;
    std::vector<DialogRecord> m_Dialogs;
    bool m_ShiftHeld = false;
    bool m_ShowsDialogs = true;
    int m_ColorPickerShows = 0;
    ColorRgb m_LastColorStart;
    int m_WaitCursorDepth = 0;
    int m_WaitCursorShows = 0;
    std::atomic<int> m_CloseRequests{0};
    DialogApi* m_Running = nullptr;  // the innermost dialog being run
    mutable std::mutex m_NotesMutex; // late lines may come from any thread
    std::vector<std::string> m_LateLogLines;
    std::vector<std::string> m_Notes;
};

} // namespace dravo
