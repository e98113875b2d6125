// The Win32 face: dialogs, message boxes, the colour picker, the wait cursor, and the message-only window
// that runs posted work and timers inside whatever modal loop is running.
#include "window/win32/Win32WindowSystem.h"

#include <cstdio>

#include "window/DialogApi.h"
#include "window/WindowThreadQueue.h"
#include "window/win32/Win32Dialog.h"

#include <commctrl.h>

#include <commdlg.h>

// commdlg.h names the ANSI function ChooseColor; here it is the face's own.
#undef ChooseColor

#include <algorithm>
#include <chrono>
#include <string>

namespace dravo {
namespace {

constexpr wchar_t MESSAGE_WINDOW_CLASS[] = L"DravoServWindowThread";
constexpr UINT WM_WAKE = WM_APP + 10;
constexpr UINT_PTR QUEUE_TIMER = 1;

UINT IconStyle(MessageBoxIcon icon) {
    switch (icon) {
    case MessageBoxIcon::Information:
        return MB_ICONINFORMATION;
    case MessageBoxIcon::Question:
        return MB_ICONQUESTION;
    case MessageBoxIcon::Exclamation:
        return MB_ICONEXCLAMATION;
    case MessageBoxIcon::None:
        break;
    }
    return 0;
}

constexpr UINT_PTR BOX_KEYS_SUBCLASS = 2;

// A button of a message box: a plain letter or Space never answers the question, so that words typed
// on when the box opened do not end the game. The mouse, Alt and the letter, or the arrows and Enter do.
LRESULT CALLBACK BoxButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclass,
                               DWORD_PTR /*data*/) {
    switch (message) {
    case WM_GETDLGCODE:
        // Characters come to the button, so the dialog manager takes none for a mnemonic.
        return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTCHARS;
    case WM_CHAR:
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, &BoxButtonProc, subclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

BOOL CALLBACK GuardBoxButton(HWND child, LPARAM /*unused*/) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Button") == 0) {
        SetWindowSubclass(child, &BoxButtonProc, BOX_KEYS_SUBCLASS, 0);
    }
    return TRUE;
}

// While a message box of this thread is open: its buttons guarded as they are made (and again when it
// is activated).
thread_local HHOOK t_BoxHook = nullptr;

LRESULT CALLBACK BoxActivationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        (void)GuardBoxButton(reinterpret_cast<HWND>(wParam), 0);
    } else if (code == HCBT_ACTIVATE) {
        EnumChildWindows(reinterpret_cast<HWND>(wParam), &GuardBoxButton, 0);
    }
    return CallNextHookEx(t_BoxHook, code, wParam, lParam);
}

} // namespace

Win32WindowSystem::Win32WindowSystem(Win32Options options)
    : m_Instance(options.m_Instance != nullptr ? options.m_Instance : GetModuleHandleW(nullptr)), m_Out(options.m_Out),
      m_Err(options.m_Err), m_Queue(std::make_shared<WindowThreadQueue>()) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &MessageWindowProc;
    windowClass.hInstance = m_Instance;
    windowClass.lpszClassName = MESSAGE_WINDOW_CLASS;
    RegisterClassW(&windowClass); // fails harmlessly when a face of this process registered it before
    m_MessageWindow =
        CreateWindowExW(0, MESSAGE_WINDOW_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, m_Instance, nullptr);
    SetWindowLongPtrW(m_MessageWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    HWND target = m_MessageWindow;
    m_Queue->SetWakeHook([this, target] {
        // One wake message at a time is enough: it runs everything queued by then.
        if (!m_WakePosted.exchange(true)) {
            PostMessageW(target, WM_WAKE, 0, 0);
        }
    });
}

Win32WindowSystem::~Win32WindowSystem() {
    m_Queue->Close();
    if (m_MessageWindow != nullptr) {
        KillTimer(m_MessageWindow, QUEUE_TIMER);
        SetWindowLongPtrW(m_MessageWindow, GWLP_USERDATA, 0);
        DestroyWindow(m_MessageWindow);
    }
}

LRESULT CALLBACK Win32WindowSystem::MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32WindowSystem*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (message == WM_WAKE || (message == WM_TIMER && wParam == QUEUE_TIMER))) {
        self->OnWake();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32WindowSystem::OnWake() {
    m_WakePosted = false; // posts from now on need a new message
    m_ArmedFor.reset();   // a fired system timer is gone
    m_Queue->RunPending();
    m_Queue->RunDueTimers(WindowThreadQueue::Clock::now());
    AfterDelivery();
}

void Win32WindowSystem::AfterDelivery() {
    if (!m_Running.empty() && !m_Watches.empty()) {
        m_Watches.back()->Deliver(m_Running.back()->Api());
    }
    for (Win32Dialog* dialog : m_Running) {
        dialog->Settle();
    }
    ArmTimer();
}

void Win32WindowSystem::ArmTimer() {
    const auto next = m_Queue->NextTimerDue();
    if (next == m_ArmedFor) {
        return; // the system timer is already set for it
    }
    m_ArmedFor = next;
    if (!next) {
        KillTimer(m_MessageWindow, QUEUE_TIMER);
        return;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*next - WindowThreadQueue::Clock::now());
    const auto milliseconds = static_cast<UINT>(std::clamp<long long>(wait.count(), USER_TIMER_MINIMUM, 0x7FFFFFFF));
    SetTimer(m_MessageWindow, QUEUE_TIMER, milliseconds, nullptr);
}

void Win32WindowSystem::WriteLine(std::ostream* stream, FILE* fallback, std::string_view line) {
    const std::string text = std::string(line) + "\n";
    {
        std::scoped_lock lock(m_OutputMutex);
        if (stream != nullptr) {
            stream->write(text.data(), static_cast<std::streamsize>(text.size()));
            stream->flush();
        } else {
            std::fputs(text.c_str(), fallback);
            std::fflush(fallback);
        }
    }
    OutputDebugStringA(text.c_str());
}

void Win32WindowSystem::ShowLateLogLine(std::string_view line) {
    WriteLine(m_Out, stdout, line);
}

void Win32WindowSystem::ShowNote(std::string_view note) {
    WriteLine(m_Err, stderr, note);
}

void Win32WindowSystem::RequestClose() {
    m_Queue->Post([this] { m_CloseRequests.Raise(); });
}

HWND Win32WindowSystem::TopWindow() const {
    return m_Running.empty() ? nullptr : m_Running.back()->Window();
}

int Win32WindowSystem::RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) {
    DialogApi dialog(dialogTemplate, procedure, *this);
    Win32Dialog window(*this, dialog);
    HWND owner = TopWindow();
    m_Running.push_back(&window);
    m_Watches.push_back(std::make_unique<CloseRequests::Watch>(m_CloseRequests));
    window.Run(owner);
    m_Watches.pop_back();
    m_Running.pop_back();
    dialog.Finish();
    if (owner != nullptr) {
        SetForegroundWindow(owner);
    }
    return dialog.Result();
}

Win32Dialog* Win32WindowSystem::OwnerOf(const ControlState& control) const {
    for (Win32Dialog* dialog : m_Running) {
        if (dialog->Owns(control)) {
            return dialog;
        }
    }
    return nullptr;
}

void Win32WindowSystem::OnTextAppended(const ControlState& control, std::string_view text) {
    if (Win32Dialog* dialog = OwnerOf(control)) {
        dialog->Appended(control, text);
    }
}

uint64_t Win32WindowSystem::Activity() const {
    return m_Changes + m_Queue->PostCount();
}

void Win32WindowSystem::OnControlChanged(const ControlState& control) {
    ++m_Changes;
    if (Win32Dialog* dialog = OwnerOf(control)) {
        dialog->Push(control);
    }
}

MessageBoxResult Win32WindowSystem::ShowMessageBox(std::string_view text, std::string_view caption,
                                                   MessageBoxButtons buttons, MessageBoxIcon icon,
                                                   MessageBoxDefault defaultButton) {
    const std::string textCopy(text);
    const std::string captionCopy(caption);
    HWND owner = TopWindow();
    UINT style = (buttons == MessageBoxButtons::YesNo ? MB_YESNO : MB_OK) | IconStyle(icon) | MB_SETFOREGROUND;
    if (buttons == MessageBoxButtons::YesNo && defaultButton == MessageBoxDefault::Second) {
        style |= MB_DEFBUTTON2; // Enter answers No
    }
    style |= owner == nullptr ? MB_TASKMODAL : 0;
    HHOOK outerHook = t_BoxHook; // a box opened by work run inside another box's loop
    t_BoxHook = SetWindowsHookExW(WH_CBT, &BoxActivationHook, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxA(owner, textCopy.c_str(), captionCopy.c_str(), style);
    if (t_BoxHook != nullptr) {
        UnhookWindowsHookEx(t_BoxHook);
    }
    t_BoxHook = outerHook;
    AfterDelivery();
    if (buttons == MessageBoxButtons::Ok) {
        return MessageBoxResult::Ok;
    }
    return answer == IDYES ? MessageBoxResult::Yes : MessageBoxResult::No;
}

void Win32WindowSystem::SetWaitCursor(bool busy) {
    m_WaitDepth = std::max(0, m_WaitDepth + (busy ? 1 : -1));
    SetCursor(LoadCursor(nullptr, m_WaitDepth > 0 ? IDC_WAIT : IDC_ARROW));
}

bool Win32WindowSystem::IsShiftHeld() {
    return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
}

void Win32WindowSystem::Post(std::function<void()> work) {
    m_Queue->Post(std::move(work));
}

std::optional<ColorRgb> Win32WindowSystem::ChooseColor(ColorRgb initial) {
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = TopWindow();
    choose.rgbResult = RGB(initial.m_Red, initial.m_Green, initial.m_Blue);
    choose.lpCustColors = m_CustomColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    const BOOL chosen = ChooseColorA(&choose);
    AfterDelivery();
    if (chosen == 0) {
        return std::nullopt;
    }
    return ColorRgb{GetRValue(choose.rgbResult), GetGValue(choose.rgbResult), GetBValue(choose.rgbResult)};
}

} // namespace dravo
