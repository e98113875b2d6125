// Win32WindowSystem: the face that runs every dialog as a real modal Win32 dialog (Windows only).
//
// Each template becomes an in-memory DLGTEMPLATEEX run by DialogBoxIndirectParamW; the same dialog
// procedures as on every face run inside it (Win32Dialog). The dialog model stays the procedures' truth:
// what they change is put on the controls, and what the operator does to a control (typing, a check, a
// selection) is taken into the model before the command reaches the procedure. Message boxes are
// MessageBoxA, the colour picker ChooseColorA, the wait cursor IDC_WAIT, Shift GetAsyncKeyState.
//
// Threads. Everything runs on the window thread, which created the face. Work posted from other threads
// goes into the queue, whose wake hook posts one message to a message-only window of the face; whatever
// modal loop runs (a dialog's, a message box's) dispatches it, and the window runs the work there. Window
// timers: one system timer on that window, set for the earliest due timer of the queue. Nothing ever
// waits for the window thread.
#pragma once

#include "window/CloseRequests.h"
#include "window/DialogFace.h"
#include "window/WindowSystem.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace dravo {

class Win32Dialog;
class WindowThreadQueue;

struct Win32Options {
    HINSTANCE m_Instance = nullptr; // where the icon and bitmaps are found; the program's own when null
    // Where the late log lines and the notes go: the program's queued standard streams, so that a reader
    // that does not read holds up nothing. Standard output and error themselves when null.
    std::ostream* m_Out = nullptr;
    std::ostream* m_Err = nullptr;
};

class Win32WindowSystem final : public WindowSystem, private DialogFace {
public:
    explicit Win32WindowSystem(Win32Options options = {});
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    // Any thread: asks the running dialog to close, forced, as a system shutdown does; a second request
    // ends it with Cancel.
    void RequestClose() override;
    HINSTANCE Instance() const { return m_Instance; }
    bool IsBusy() const { return m_WaitDepth > 0; }

    int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) override;
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, MessageBoxDefault defaultButton) override;
    void SetWaitCursor(bool busy) override;
    bool IsShiftHeld() override;
    void Post(std::function<void()> work) override;
    std::optional<ColorRgb> ChooseColor(ColorRgb initial) override;
    bool CanShowDialogs() const override { return true; }
    // No window shows them: standard output and error where the program has them (started from a
    // console, or redirected), and the debugger's output.
    void ShowLateLogLine(std::string_view line) override;
    void ShowNote(std::string_view note) override;

    // Grows whenever a procedure changes a control or posts work: whether a command did anything.
    uint64_t Activity() const;
    // For Win32Dialog: after each message it handled, and after posted work ran.
    void AfterDelivery();

private:
    static LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnWake();
    void ArmTimer();
    HWND TopWindow() const;

    WindowSystem& Windows() override { return *this; }
    const std::shared_ptr<WindowThreadQueue>& Queue() override { return m_Queue; }
    void OnTextAppended(const ControlState& control, std::string_view text) override;
    void OnControlChanged(const ControlState& control) override;
    Win32Dialog* OwnerOf(const ControlState& control) const;
    // A line for standard output or error (the stream given, else the C runtime's), and the debugger.
    void WriteLine(std::ostream* stream, FILE* fallback, std::string_view line);

    HINSTANCE m_Instance;
    std::ostream* m_Out;
    std::ostream* m_Err;
    std::mutex m_OutputMutex; // one line at a time, from any thread
    std::shared_ptr<WindowThreadQueue> m_Queue;
    HWND m_MessageWindow = nullptr;
    std::atomic<bool> m_WakePosted{false};
    std::optional<std::chrono::steady_clock::time_point> m_ArmedFor; // when the system timer fires
    std::vector<Win32Dialog*> m_Running;
    std::vector<std::unique_ptr<CloseRequests::Watch>> m_Watches; // one per running dialog
    CloseRequests m_CloseRequests;
    int m_WaitDepth = 0;
    uint64_t m_Changes = 0;
    COLORREF m_CustomColors[16] = {};
};

} // namespace dravo
