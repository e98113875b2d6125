// Win32ScriptedFace: the scripted face's test interface over the real Win32 face, reached only the way an
// operator and the system reach it. Each dialog's procedure is wrapped so that, once the dialog has been
// shown, the script for its template runs on its real window: clicks, text and selections reach the
// controls through the Win32 API (BM_CLICK, WM_SETTEXT, LB_SETCURSEL with the notification the control
// would send), what a script reads comes from the controls, and posted work and timers run in the face's
// own message loop. Message boxes and the colour picker are the real ones, whoever opens them (start-up
// through this face, or a dialog procedure through the face itself): a timer in their modal loop reads
// them and answers with the queued answer by clicking their buttons.
#pragma once

#include "support/ScriptedWindowSystem.h"
#include "window/win32/Win32WindowSystem.h"

#include <windows.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dravo::test {

// Keys as the operator types them on a dialog of the face: each goes to the control that has the focus
// as the keyboard sends it (key down, the character the system makes of it, key up) and passes the
// dialog manager as in the modal loop. Letters, digits, space and the plain punctuation of a US layout;
// a character that needs Shift fails the test.
void TypeKeys(HWND dialog, std::string_view text);
// Alt held with a letter, as a button's mnemonic is pressed.
void PressAltKey(HWND dialog, char letter);
// A key that makes no character, such as VK_RETURN.
void PressKey(HWND dialog, WORD virtualKey);
// Gives a control the focus as Tab does.
void FocusControl(HWND dialog, int id);

class Win32ScriptedFace final : public WindowSystem {
public:
    using Script = ScriptedWindowSystem::Script;
    using MessageBoxRecord = ScriptedWindowSystem::MessageBoxRecord;
    using DialogRecord = ScriptedWindowSystem::DialogRecord;

    Win32ScriptedFace();
    ~Win32ScriptedFace() override;
    Win32ScriptedFace(const Win32ScriptedFace&) = delete;
    Win32ScriptedFace& operator=(const Win32ScriptedFace&) = delete;

    void AddScript(std::string_view templateKey, Script script);
    void AddScript(int templateNumber, Script script) { AddScript(std::to_string(templateNumber), std::move(script)); }
    // Answers for the next message boxes, first in first out. Without one an OK box is answered OK and a
    // Yes/No box with its default button, No for every question asked now (recorded as unanswered).
    void QueueAnswer(MessageBoxResult answer) { m_Answers.emplace_back(answer); }
    // The next message box is answered as a reflex Enter does: the button its focus is on (the answer
    // recorded is that button's).
    void QueueEnter() { QueueTypedThenEnter(""); }
    // The next message box gets `typed` first, as an operator typing on does (letters as characters,
    // spaces as the Space key, on the button the box focused), and then Enter.
    void QueueTypedThenEnter(std::string typed) {
        m_Answers.emplace_back(std::nullopt);
        m_TypedFirst.push_back(std::move(typed));
    }
    // Answers for the colour picker; nothing queued, or std::nullopt, cancels it.
    void QueueColor(std::optional<ColorRgb> color) { m_Colors.push_back(color); }

    // What the real message boxes showed (caption, text, buttons and icon as read from their windows) and
    // how they were answered.
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_MessageBoxes; }
    const std::vector<DialogRecord>& Dialogs() const { return m_Dialogs; }
    int WaitCursorShows() const { return m_WaitCursorShows; }
    int WaitCursorDepth() const { return m_WaitCursorDepth; }
    // The window of the innermost dialog whose script is running, or null.
    HWND DialogWindow() const { return m_ScriptWindows.empty() ? nullptr : m_ScriptWindows.back(); }

    int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) override;
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, MessageBoxDefault defaultButton) override {
        return m_Face.ShowMessageBox(text, caption, buttons, icon, defaultButton);
    }
    void SetWaitCursor(bool busy) override;
    bool IsShiftHeld() override { return m_Face.IsShiftHeld(); }
    void Post(std::function<void()> work) override { m_Face.Post(std::move(work)); }
    std::optional<ColorRgb> ChooseColor(ColorRgb initial) override { return m_Face.ChooseColor(initial); }
    bool CanShowDialogs() const override { return true; }
    void RequestClose() override { m_Face.RequestClose(); }
    void ShowLateLogLine(std::string_view line) override { m_LateLogLines.emplace_back(line); }
    void ShowNote(std::string_view note) override { m_Notes.emplace_back(note); }
    const std::vector<std::string>& LateLogLines() const { return m_LateLogLines; }
    const std::vector<std::string>& Notes() const { return m_Notes; }

private:
    class ScriptedProcedure;

    // Runs the script for the dialog that has just been shown.
    void RunScript(DialogApi& dialog);
    // Answers a system dialog (message box, colour picker) that is open; false when it cannot yet.
    bool Answer(HWND box);
    bool AnswerMessageBox(HWND box);
    bool AnswerColorPicker(HWND picker);
    static void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD);

    Win32WindowSystem m_Face;
    UINT_PTR m_AnswerTimer = 0;
    HWND m_LastAnswered = nullptr;
    std::map<std::string, std::deque<Script>, std::less<>> m_Scripts;
    std::deque<std::optional<MessageBoxResult>> m_Answers; // nullopt: Enter
    std::deque<std::string> m_TypedFirst;                  // before each Enter, in order
    std::deque<std::optional<ColorRgb>> m_Colors;
    std::vector<MessageBoxRecord> m_MessageBoxes;
    std::vector<DialogRecord> m_Dialogs;
    std::vector<HWND> m_ScriptWindows;
    int m_WaitCursorShows = 0;
    int m_WaitCursorDepth = 0;
    std::vector<std::string> m_LateLogLines;
    std::vector<std::string> m_Notes;
};

} // namespace dravo::test
