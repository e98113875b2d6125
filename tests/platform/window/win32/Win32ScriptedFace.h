// Win32ScriptedFace: the scripted face's test interface over the real Win32 face. Scripts written for
// the scripted face run unchanged: their clicks, text and selections reach the real controls through the
// Win32 API (BM_CLICK, WM_SETTEXT, LB_SETCURSEL with the notification the control would send), and what
// they read comes from the controls. Message boxes and the colour picker are real too; a timer inside
// their modal loop answers them with the queued answer by clicking their buttons.
#pragma once

#include "platform/window/win32/Win32Dialog.h"
#include "platform/window/win32/Win32WindowSystem.h"
#include "support/ScriptedWindowSystem.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace dravo::test {

class Win32ScriptedFace final : public WindowSystem {
public:
    using Script = ScriptedWindowSystem::Script;
    using MessageBoxRecord = ScriptedWindowSystem::MessageBoxRecord;
    using DialogRecord = ScriptedWindowSystem::DialogRecord;

    Win32ScriptedFace();

    void AddScript(std::string_view templateKey, Script script);
    void AddScript(int templateNumber, Script script) { AddScript(std::to_string(templateNumber), std::move(script)); }
    void QueueAnswer(MessageBoxResult answer) { m_Answers.push_back(answer); }
    void QueueColor(std::optional<ColorRgb> color) { m_Colors.push_back(color); }

    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_MessageBoxes; }
    const std::vector<DialogRecord>& Dialogs() const { return m_Dialogs; }
    int WaitCursorShows() const { return m_WaitCursorShows; }
    int WaitCursorDepth() const { return m_WaitCursorDepth; }
    // What the real message boxes showed: caption and text as read from their windows.
    const std::vector<std::pair<std::string, std::string>>& ShownBoxes() const { return m_ShownBoxes; }
    Win32WindowSystem& Face() { return m_Face; }

    int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) override;
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon) override;
    void SetWaitCursor(bool busy) override;
    bool IsShiftHeld() override { return m_Face.IsShiftHeld(); }
    void Post(std::function<void()> work) override { m_Face.Post(std::move(work)); }
    std::optional<ColorRgb> ChooseColor(ColorRgb initial) override;
    bool CanShowDialogs() const override { return true; }
    void RequestClose() override { m_Face.RequestClose(); }
    void ShowLateLogLine(std::string_view line) override { m_LateLogLines.emplace_back(line); }
    void ShowNote(std::string_view note) override { m_Notes.emplace_back(note); }
    const std::vector<std::string>& LateLogLines() const { return m_LateLogLines; }
    const std::vector<std::string>& Notes() const { return m_Notes; }

private:
    void RunScript(Win32Dialog& dialog);
    // Answers the next system dialog (message box, colour picker) that opens on this thread.
    void ArmAnswer(std::function<bool(HWND box)> answer);
    static void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD);

    Win32WindowSystem m_Face;
    std::map<std::string, std::deque<Script>, std::less<>> m_Scripts;
    std::deque<MessageBoxResult> m_Answers;
    std::deque<std::optional<ColorRgb>> m_Colors;
    std::vector<MessageBoxRecord> m_MessageBoxes;
    std::vector<std::pair<std::string, std::string>> m_ShownBoxes;
    std::vector<DialogRecord> m_Dialogs;
    int m_WaitCursorShows = 0;
    int m_WaitCursorDepth = 0;
    std::vector<std::string> m_LateLogLines;
    std::vector<std::string> m_Notes;
};

} // namespace dravo::test
