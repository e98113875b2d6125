// The scripted face's interface over real Win32 dialogs, and the operator's hands on real controls.
#include "platform/window/win32/Win32ScriptedFace.h"

#include "platform/window/WindowThreadQueue.h"
#include "platform/window/win32/Win32DialogTemplate.h"

#include <commdlg.h>

#undef ChooseColor

namespace dravo::test {
namespace {

constexpr int COLOR_RED_EDIT = 706; // the colour picker's Red, Green and Blue fields
constexpr int MAX_PUMP_ROUNDS = 10000;

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool HasStyle(HWND window, LONG style) {
    return (GetWindowLongA(window, GWL_STYLE) & style) == style;
}

// Dispatches every message waiting for this thread (posted work wakes through them).
size_t PumpMessages() {
    size_t pumped = 0;
    MSG message;
    for (int round = 0; round < MAX_PUMP_ROUNDS && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++round) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        ++pumped;
    }
    return pumped;
}

// The operator's hands on a dialog of the Win32 face.
class Win32Hands final : public ScriptedDialog {
public:
    Win32Hands(Win32Dialog& dialog, Win32WindowSystem& face)
        : ScriptedDialog(dialog.Api(), face.PostQueue()), m_Window(dialog), m_Face(face) {}

    std::string Text(ControlId id) const override {
        HWND control = m_Window.Control(id.Value());
        return control == nullptr ? std::string() : WindowText(control);
    }
    bool IsChecked(ControlId id) const override {
        HWND control = m_Window.Control(id.Value());
        return control != nullptr && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    bool IsEnabled(ControlId id) const override {
        HWND control = m_Window.Control(id.Value());
        return control != nullptr && IsWindowEnabled(control) != 0;
    }
    bool IsVisible(ControlId id) const override {
        HWND control = m_Window.Control(id.Value());
        return control != nullptr && HasStyle(control, WS_VISIBLE);
    }
    int ListCount(ControlId id) const override {
        HWND control = m_Window.Control(id.Value());
        return control == nullptr ? LIST_ERROR : static_cast<int>(SendMessageA(control, LB_GETCOUNT, 0, 0));
    }
    std::optional<std::string> ListText(ControlId id, int index) const override {
        HWND control = m_Window.Control(id.Value());
        if (control == nullptr) {
            return std::nullopt;
        }
        const LRESULT length = SendMessageA(control, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == LB_ERR) {
            return std::nullopt;
        }
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(control, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    int Selection(ControlId id) const override {
        HWND control = m_Window.Control(id.Value());
        const LRESULT selection = control == nullptr ? LB_ERR : SendMessageA(control, LB_GETCURSEL, 0, 0);
        return selection == LB_ERR ? NO_SELECTION : static_cast<int>(selection);
    }

    bool SetText(ControlId id, std::string_view text) override {
        HWND control = UsableWindow(id.Value());
        if (control == nullptr || !IsClass(control, "Edit") || HasStyle(control, ES_READONLY)) {
            return false;
        }
        const std::string copy(text);
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())); // the edit sends EN_CHANGE
        return Settle(true);
    }
    bool Click(ControlId id) override {
        HWND control = UsableWindow(id.Value());
        if (control == nullptr || !IsClass(control, "Button")) {
            return false;
        }
        SendMessageA(control, BM_CLICK, 0, 0);
        return Settle(true);
    }
    bool Select(ControlId id, int index) override {
        HWND control = UsableWindow(id.Value());
        if (control == nullptr || !IsClass(control, "ListBox") || index < 0 || index >= ListCount(id) ||
            HasStyle(control, LBS_NOSEL)) {
            return false;
        }
        const bool changed = Selection(id) != index;
        SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (changed) { // what the list box tells its dialog when the operator clicks another item
            SendMessageA(m_Window.Window(), WM_COMMAND, MAKEWPARAM(id.Value(), LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(control));
        }
        return Settle(true);
    }
    bool DoubleClick(ControlId id, int index) override {
        if (!Select(id, index)) {
            return false;
        }
        if (HWND control = m_Window.Control(id.Value()); control != nullptr && !Dialog().Ended()) {
            SendMessageA(m_Window.Window(), WM_COMMAND, MAKEWPARAM(id.Value(), LBN_DBLCLK),
                         reinterpret_cast<LPARAM>(control));
        }
        return Settle(true);
    }
    // Enter as the dialog manager handles it: the default button's click, IDOK without one.
    bool PressEnter() override {
        if (Dialog().Ended()) {
            return false;
        }
        const LRESULT defaultId = SendMessageA(m_Window.Window(), DM_GETDEFID, 0, 0);
        if (HIWORD(defaultId) != DC_HASDEFID) {
            SendMessageA(m_Window.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return Settle(true);
        }
        HWND button = GetDlgItem(m_Window.Window(), LOWORD(defaultId));
        if (button != nullptr && IsWindowEnabled(button) == 0) {
            return false;
        }
        SendMessageA(m_Window.Window(), WM_COMMAND, MAKEWPARAM(LOWORD(defaultId), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        return Settle(true);
    }
    bool PressEscape() override {
        if (Dialog().Ended()) {
            return false;
        }
        SendMessageA(m_Window.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return Settle(true);
    }
    bool Close() override {
        if (Dialog().Ended()) {
            return false;
        }
        SendMessageA(m_Window.Window(), WM_CLOSE, 0, 0);
        return Settle(true);
    }
    size_t RunPosted() override {
        size_t total = 0;
        for (int round = 0; round < MAX_PUMP_ROUNDS; ++round) {
            const size_t ran = m_Face.RunPending() + PumpMessages();
            if (ran == 0) {
                break;
            }
            total += ran;
        }
        return total;
    }
    bool RunPostedUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) override {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            RunPosted();
            if (done()) {
                return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
        }
    }

private:
    HWND UsableWindow(int id) const {
        HWND control = m_Window.Control(id);
        if (Dialog().Ended() || control == nullptr || !HasStyle(control, WS_VISIBLE) || IsWindowEnabled(control) == 0) {
            return nullptr;
        }
        return control;
    }
    static bool IsClass(HWND window, const char* name) {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        return lstrcmpiA(className, name) == 0;
    }
    DialogApi& Dialog() const { return m_Window.Api(); }

    Win32Dialog& m_Window;
    Win32WindowSystem& m_Face;
};

// The pending answer of the next system dialog; one at a time, on the window thread.
std::function<bool(HWND)> g_Answer;

BOOL CALLBACK FindSystemDialog(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window) != 0 &&
        GetWindowLongPtrW(window, GWLP_USERDATA) == 0) { // the face's own dialogs carry their object there
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

Win32ScriptedFace::Win32ScriptedFace()
    : m_Face(Win32Options{nullptr, [this](Win32Dialog& dialog) { RunScript(dialog); }, this}) {}

void Win32ScriptedFace::AddScript(std::string_view templateKey, Script script) {
    m_Scripts[std::string(templateKey)].push_back(std::move(script));
}

int Win32ScriptedFace::RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) {
    const size_t record = m_Dialogs.size();
    m_Dialogs.push_back(DialogRecord{dialogTemplate.Key(), ScriptedWindowSystem::UNFINISHED, false});
    const int result = m_Face.RunDialog(dialogTemplate, procedure);
    const bool finished = m_Dialogs[record].m_Finished || result != ScriptedWindowSystem::UNFINISHED;
    m_Dialogs[record].m_Result = finished ? result : ScriptedWindowSystem::UNFINISHED;
    m_Dialogs[record].m_Finished = finished;
    return result;
}

void Win32ScriptedFace::RunScript(Win32Dialog& dialog) {
    Script script;
    if (auto found = m_Scripts.find(dialog.Template().Key()); found != m_Scripts.end() && !found->second.empty()) {
        script = std::move(found->second.front());
        found->second.pop_front();
    }
    Win32Hands hands(dialog, m_Face);
    hands.RunPosted();
    if (script && !dialog.Api().Ended()) {
        script(hands);
        hands.RunPosted();
    }
    if (!dialog.Api().Ended()) {
        // Like a scripted run without an ending: the dialog goes, unfinished.
        dialog.Api().EndDialog(ScriptedWindowSystem::UNFINISHED);
        dialog.Settle();
    }
}

void CALLBACK Win32ScriptedFace::OnAnswerTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindSystemDialog, reinterpret_cast<LPARAM>(&box));
    if (box != nullptr && g_Answer && g_Answer(box)) {
        KillTimer(nullptr, timer);
        g_Answer = nullptr;
    }
}

void Win32ScriptedFace::ArmAnswer(std::function<bool(HWND box)> answer) {
    g_Answer = std::move(answer);
    SetTimer(nullptr, 0, 50, &OnAnswerTimer);
}

MessageBoxResult Win32ScriptedFace::ShowMessageBox(std::string_view text, std::string_view caption,
                                                   MessageBoxButtons buttons, MessageBoxIcon icon) {
    MessageBoxRecord shown{std::string(text), std::string(caption), buttons, icon, MessageBoxResult::Ok, true};
    if (!m_Answers.empty()) {
        shown.m_Result = m_Answers.front();
        m_Answers.pop_front();
    } else if (buttons == MessageBoxButtons::YesNo) {
        shown.m_Result = MessageBoxResult::No;
        shown.m_Answered = false;
    }
    const int button = shown.m_Result == MessageBoxResult::Yes  ? IDYES
                       : shown.m_Result == MessageBoxResult::No ? IDNO
                                                                : IDOK;
    ArmAnswer([this, button](HWND box) {
        std::string boxText;
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            char className[16] = {};
            GetClassNameA(child, className, sizeof className);
            if (lstrcmpiA(className, "Static") == 0 && WindowText(child).size() > boxText.size()) {
                boxText = WindowText(child);
            }
        }
        m_ShownBoxes.emplace_back(WindowText(box), boxText);
        HWND target = GetDlgItem(box, button);
        if (target == nullptr) {
            return false;
        }
        SendMessageA(target, BM_CLICK, 0, 0);
        return true;
    });
    const MessageBoxResult result = m_Face.ShowMessageBox(text, caption, buttons, icon);
    if (result != shown.m_Result) {
        shown.m_Answered = false; // the real box did not give the answer it was meant to
    }
    m_MessageBoxes.push_back(shown);
    return result;
}

std::optional<ColorRgb> Win32ScriptedFace::ChooseColor(ColorRgb initial) {
    std::optional<ColorRgb> answer;
    if (!m_Colors.empty()) {
        answer = m_Colors.front();
        m_Colors.pop_front();
    }
    ArmAnswer([answer](HWND picker) {
        if (!answer) {
            SendMessageA(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        }
        const uint8_t parts[3] = {answer->m_Red, answer->m_Green, answer->m_Blue};
        for (int part = 0; part < 3; ++part) {
            HWND field = GetDlgItem(picker, COLOR_RED_EDIT + part);
            if (field == nullptr) {
                return false;
            }
            SetWindowTextA(field, std::to_string(parts[part]).c_str());
        }
        SendMessageA(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    });
    return m_Face.ChooseColor(initial);
}

void Win32ScriptedFace::SetWaitCursor(bool busy) {
    m_WaitCursorDepth += busy ? 1 : -1;
    m_WaitCursorShows += busy ? 1 : 0;
    m_Face.SetWaitCursor(busy);
}

} // namespace dravo::test
