// The scripted face's interface over real Win32 dialogs, and the operator's hands on real controls.
#include "window/win32/Win32ScriptedFace.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#undef ChooseColor

#include <utility>

namespace dravo::test {
namespace {

constexpr int COLOR_RED_EDIT = 706; // the colour picker's Red, Green and Blue fields
constexpr int MAX_PUMP_ROUNDS = 10000;
constexpr UINT ANSWER_PERIOD_MS = 50; // how soon an open message box or colour picker is answered

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsClassOf(HWND window, const char* name) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
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
    Win32Hands(DialogApi& dialog, HWND window) : ScriptedDialog(dialog), m_Window(window) {}

    std::string Text(ControlId id) const override {
        HWND control = Control(id.Value());
        return control == nullptr ? std::string() : WindowText(control);
    }
    bool IsChecked(ControlId id) const override {
        HWND control = Control(id.Value());
        return control != nullptr && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    bool IsEnabled(ControlId id) const override {
        HWND control = Control(id.Value());
        return control != nullptr && IsWindowEnabled(control) != 0;
    }
    bool IsVisible(ControlId id) const override {
        HWND control = Control(id.Value());
        return control != nullptr && HasStyle(control, WS_VISIBLE);
    }
    int ListCount(ControlId id) const override {
        HWND control = Control(id.Value());
        return control == nullptr ? LIST_ERROR : static_cast<int>(SendMessageA(control, LB_GETCOUNT, 0, 0));
    }
    std::optional<std::string> ListText(ControlId id, int index) const override {
        HWND control = Control(id.Value());
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
        HWND control = Control(id.Value());
        const LRESULT selection = control == nullptr ? LB_ERR : SendMessageA(control, LB_GETCURSEL, 0, 0);
        return selection == LB_ERR ? NO_SELECTION : static_cast<int>(selection);
    }

    bool SetText(ControlId id, std::string_view text) override {
        HWND control = UsableWindow(id.Value());
        if (control == nullptr || !IsClassOf(control, "Edit") || HasStyle(control, ES_READONLY)) {
            return false;
        }
        const std::string copy(text);
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())); // the edit sends EN_CHANGE
        return Settle(true);
    }
    bool Click(ControlId id) override {
        HWND control = UsableWindow(id.Value());
        if (control == nullptr || !IsClassOf(control, "Button")) {
            return false;
        }
        SendMessageA(control, BM_CLICK, 0, 0);
        return Settle(true);
    }
    bool Select(ControlId id, int index) override {
        HWND control = UsableWindow(id.Value());
        if (control == nullptr || !IsClassOf(control, "ListBox") || index < 0 || index >= ListCount(id) ||
            HasStyle(control, LBS_NOSEL)) {
            return false;
        }
        const bool changed = Selection(id) != index;
        SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (changed) { // what the list box tells its dialog when the operator clicks another item
            SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(id.Value(), LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(control));
        }
        return Settle(true);
    }
    bool DoubleClick(ControlId id, int index) override {
        if (!Select(id, index)) {
            return false;
        }
        if (HWND control = Control(id.Value()); control != nullptr && !Dialog().Ended()) {
            SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(id.Value(), LBN_DBLCLK), reinterpret_cast<LPARAM>(control));
        }
        return Settle(true);
    }
    // Enter as the dialog manager handles it: the default button's click, IDOK without one.
    bool PressEnter() override {
        if (Dialog().Ended()) {
            return false;
        }
        const LRESULT defaultId = SendMessageA(m_Window, DM_GETDEFID, 0, 0);
        if (HIWORD(defaultId) != DC_HASDEFID) {
            SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return Settle(true);
        }
        HWND button = GetDlgItem(m_Window, LOWORD(defaultId));
        if (button != nullptr && IsWindowEnabled(button) == 0) {
            return false;
        }
        SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(LOWORD(defaultId), BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return Settle(true);
    }
    bool PressEscape() override {
        if (Dialog().Ended()) {
            return false;
        }
        SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return Settle(true);
    }
    bool Close() override {
        if (Dialog().Ended()) {
            return false;
        }
        SendMessageA(m_Window, WM_CLOSE, 0, 0);
        return Settle(true);
    }
    // Posted work and the face's timers run as the face's message window receives its wake and timer
    // messages, as inside any modal loop.
    size_t RunPosted() override {
        size_t total = 0;
        for (int round = 0; round < MAX_PUMP_ROUNDS; ++round) {
            const size_t ran = PumpMessages();
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
    HWND Control(int id) const { return GetDlgItem(m_Window, id); }
    HWND UsableWindow(int id) const {
        HWND control = Control(id);
        if (Dialog().Ended() || control == nullptr || !HasStyle(control, WS_VISIBLE) || IsWindowEnabled(control) == 0) {
            return nullptr;
        }
        return control;
    }
    const DialogApi& Dialog() const { return m_Dialog; }

    HWND m_Window;
};

// The face whose timer answers system dialogs; one at a time, on the window thread.
Win32ScriptedFace* g_Answering = nullptr;

// The face's own dialogs carry their object in GWLP_USERDATA; the system's do not.
bool IsFaceDialog(HWND window) {
    return IsClassOf(window, "#32770") && GetWindowLongPtrW(window, GWLP_USERDATA) != 0;
}

BOOL CALLBACK FindSystemDialog(HWND window, LPARAM found) {
    if (IsClassOf(window, "#32770") && IsWindowVisible(window) != 0 && !IsFaceDialog(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The face's dialogs that take input: a modal dialog disables its owner, so the innermost alone.
BOOL CALLBACK FindEnabledFaceDialogs(HWND window, LPARAM found) {
    if (IsFaceDialog(window) && IsWindowEnabled(window) != 0) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

MessageBoxIcon IconOf(HWND box) {
    const std::pair<LPCSTR, MessageBoxIcon> icons[] = {{IDI_INFORMATION, MessageBoxIcon::Information},
                                                       {IDI_QUESTION, MessageBoxIcon::Question},
                                                       {IDI_EXCLAMATION, MessageBoxIcon::Exclamation}};
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsClassOf(child, "Static") || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
            continue;
        }
        const auto shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        for (const auto& [name, icon] : icons) {
            if (shown != nullptr && shown == LoadIconA(nullptr, name)) {
                return icon;
            }
        }
    }
    return MessageBoxIcon::None;
}

// Dispatches what waits for this thread as a modal dialog's loop does: through the dialog manager.
void PumpThroughDialog(HWND dialog) {
    MSG message;
    for (int round = 0; round < MAX_PUMP_ROUNDS && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++round) {
        if (IsWindow(dialog) == 0 || IsDialogMessageW(dialog, &message) == 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// One key down and up on the control with the focus; `system`: with Alt held.
void PressKeyOnFocus(HWND dialog, WORD virtualKey, bool system) {
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | static_cast<LPARAM>(scan << 16) | (system ? (1 << 29) : 0);
    const LPARAM up = down | (1 << 30) | static_cast<LPARAM>(1u << 31);
    HWND target = GetFocus() != nullptr ? GetFocus() : dialog;
    PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, down);
    PumpThroughDialog(dialog);
    target = GetFocus() != nullptr ? GetFocus() : dialog;
    PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, virtualKey, up);
    PumpThroughDialog(dialog);
}

} // namespace

void TypeKeys(HWND dialog, std::string_view text) {
    for (const char c : text) {
        const SHORT key = VkKeyScanA(c);
        if (key == -1 || HIBYTE(key) != 0) {
            ADD_FAILURE() << "cannot type '" << c << "' without Shift";
            return;
        }
        PressKeyOnFocus(dialog, LOBYTE(key), false);
    }
}

void PressAltKey(HWND dialog, char letter) {
    const SHORT key = VkKeyScanA(letter);
    ASSERT_NE(key, -1) << letter;
    PressKeyOnFocus(dialog, LOBYTE(key), true);
}

void PressKey(HWND dialog, WORD virtualKey) {
    PressKeyOnFocus(dialog, virtualKey, false);
}

void FocusControl(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    ASSERT_NE(control, nullptr) << id;
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    ASSERT_EQ(GetFocus(), control) << id;
}

// A dialog's own procedure, with the script run once the dialog has been shown.
class Win32ScriptedFace::ScriptedProcedure final : public DialogProcedure {
public:
    ScriptedProcedure(Win32ScriptedFace& face, DialogProcedure& procedure) : m_Face(face), m_Procedure(procedure) {}

    void OnInit(DialogApi& dialog) override { m_Procedure.OnInit(dialog); }
    void OnShow(DialogApi& dialog) override {
        m_Procedure.OnShow(dialog);
        if (!dialog.Ended()) {
            m_Face.RunScript(dialog);
        }
    }
    void OnCommand(DialogApi& dialog, int id, Notification code) override { m_Procedure.OnCommand(dialog, id, code); }
    void OnTimer(DialogApi& dialog, int timerId) override { m_Procedure.OnTimer(dialog, timerId); }
    void OnCloseRequest(DialogApi& dialog, bool forced) override { m_Procedure.OnCloseRequest(dialog, forced); }
    bool OnActionLine(DialogApi& dialog, std::string_view action) override {
        return m_Procedure.OnActionLine(dialog, action);
    }
    std::optional<std::string> OnRecallLine(DialogApi& dialog, int id, int step, std::string_view current) override {
        return m_Procedure.OnRecallLine(dialog, id, step, current);
    }
    std::optional<InputCompletion> OnCompleteLine(DialogApi& dialog, int id, std::string_view text) override {
        return m_Procedure.OnCompleteLine(dialog, id, text);
    }
    void OnDestroy(DialogApi& dialog) override { m_Procedure.OnDestroy(dialog); }

private:
    Win32ScriptedFace& m_Face;
    DialogProcedure& m_Procedure;
};

Win32ScriptedFace::Win32ScriptedFace() {
    g_Answering = this;
    m_AnswerTimer = SetTimer(nullptr, 0, ANSWER_PERIOD_MS, &OnAnswerTimer);
}

Win32ScriptedFace::~Win32ScriptedFace() {
    KillTimer(nullptr, m_AnswerTimer);
    g_Answering = nullptr;
}

void Win32ScriptedFace::AddScript(std::string_view templateKey, Script script) {
    m_Scripts[std::string(templateKey)].push_back(std::move(script));
}

int Win32ScriptedFace::RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) {
    const size_t record = m_Dialogs.size();
    m_Dialogs.push_back(DialogRecord{dialogTemplate.Key(), ScriptedWindowSystem::UNFINISHED, false});
    ScriptedProcedure scripted(*this, procedure);
    const int result = m_Face.RunDialog(dialogTemplate, scripted);
    const bool finished = result != ScriptedWindowSystem::UNFINISHED;
    m_Dialogs[record].m_Result = finished ? result : ScriptedWindowSystem::UNFINISHED;
    m_Dialogs[record].m_Finished = finished;
    return result;
}

void Win32ScriptedFace::RunScript(DialogApi& dialog) {
    Script script;
    if (auto found = m_Scripts.find(dialog.Template().Key()); found != m_Scripts.end() && !found->second.empty()) {
        script = std::move(found->second.front());
        found->second.pop_front();
    }
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), &FindEnabledFaceDialogs, reinterpret_cast<LPARAM>(&windows));
    if (windows.size() != 1) {
        ADD_FAILURE() << windows.size() << " dialogs of the face take input as " << dialog.Template().Key()
                      << " is shown; expected one";
        dialog.EndDialog(ScriptedWindowSystem::UNFINISHED);
        return;
    }
    m_ScriptWindows.push_back(windows.front());
    // Any message the dialog handles has the face show what its procedure changed while being shown.
    SendMessageW(windows.front(), WM_NULL, 0, 0);
    Win32Hands hands(dialog, windows.front());
    hands.RunPosted();
    if (script && !dialog.Ended()) {
        script(hands);
        hands.RunPosted();
    }
    m_ScriptWindows.pop_back();
    if (!dialog.Ended()) {
        dialog.EndDialog(ScriptedWindowSystem::UNFINISHED); // like a scripted run without an ending
    }
}

void CALLBACK Win32ScriptedFace::OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindSystemDialog, reinterpret_cast<LPARAM>(&box));
    if (g_Answering == nullptr) {
        return;
    }
    if (box == nullptr) {
        g_Answering->m_LastAnswered = nullptr; // the box answered last is gone
    } else if (box != g_Answering->m_LastAnswered && g_Answering->Answer(box)) {
        g_Answering->m_LastAnswered = box;
    }
}

bool Win32ScriptedFace::Answer(HWND box) {
    return GetDlgItem(box, COLOR_RED_EDIT) != nullptr ? AnswerColorPicker(box) : AnswerMessageBox(box);
}

namespace {

// A key pressed and let go on a window, through its thread's message loop.
void PostKey(HWND window, WORD virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | scan);
    PostMessageW(window, WM_KEYUP, virtualKey, 1 | scan | (3LL << 30));
}

} // namespace

bool Win32ScriptedFace::AnswerMessageBox(HWND box) {
    MessageBoxRecord shown;
    shown.m_Caption = WindowText(box);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsClassOf(child, "Static") && WindowText(child).size() > shown.m_Text.size()) {
            shown.m_Text = WindowText(child);
        }
    }
    shown.m_Buttons = GetDlgItem(box, IDYES) != nullptr ? MessageBoxButtons::YesNo : MessageBoxButtons::Ok;
    shown.m_Icon = IconOf(box);
    // The box's own default button, as Enter would press it.
    const LRESULT defaultId = SendMessageA(box, DM_GETDEFID, 0, 0);
    const int pressedByEnter = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
    shown.m_Default = pressedByEnter == IDNO ? MessageBoxDefault::Second : MessageBoxDefault::First;
    shown.m_Answered = true;
    const bool queued = !m_Answers.empty();
    const std::optional<MessageBoxResult> answer = queued ? m_Answers.front() : std::nullopt;
    if (queued) {
        m_Answers.pop_front();
    }
    if (queued && !answer) {
        // Enter, where the box put its focus: its modal loop presses that button.
        HWND focus = GetFocus();
        const int focused = focus != nullptr ? GetDlgCtrlID(focus) : 0;
        shown.m_Result = focused == IDYES  ? MessageBoxResult::Yes
                         : focused == IDNO ? MessageBoxResult::No
                                           : MessageBoxResult::Ok;
        m_MessageBoxes.push_back(shown);
        HWND target = focus != nullptr ? focus : box;
        const std::string typed = m_TypedFirst.empty() ? std::string() : m_TypedFirst.front();
        if (!m_TypedFirst.empty()) {
            m_TypedFirst.pop_front();
        }
        for (const char c : typed) {
            if (c == ' ') {
                PostKey(target, VK_SPACE);
            } else {
                PostMessageW(target, WM_CHAR, static_cast<unsigned char>(c), 1);
            }
        }
        PostKey(target, VK_RETURN);
        return true;
    }
    if (answer) {
        shown.m_Result = *answer;
    } else if (shown.m_Buttons == MessageBoxButtons::YesNo) {
        shown.m_Result = pressedByEnter == IDYES ? MessageBoxResult::Yes : MessageBoxResult::No;
        shown.m_Answered = false;
    }
    int button = shown.m_Result == MessageBoxResult::Yes ? IDYES : shown.m_Result == MessageBoxResult::No ? IDNO : IDOK;
    if (GetDlgItem(box, button) == nullptr) {
        // The queued answer is not a button of this box: it gets its own first button, and the test sees
        // the box unanswered.
        button = shown.m_Buttons == MessageBoxButtons::YesNo ? IDNO : IDOK;
        shown.m_Answered = false;
    }
    m_MessageBoxes.push_back(shown);
    SendMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    return true;
}

bool Win32ScriptedFace::AnswerColorPicker(HWND picker) {
    const std::optional<ColorRgb> answer = m_Colors.empty() ? std::nullopt : m_Colors.front();
    if (!answer) {
        if (!m_Colors.empty()) {
            m_Colors.pop_front();
        }
        SendMessageA(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    const uint8_t parts[3] = {answer->m_Red, answer->m_Green, answer->m_Blue};
    for (int part = 0; part < 3; ++part) {
        if (GetDlgItem(picker, COLOR_RED_EDIT + part) == nullptr) {
            return false; // not ready yet: the next tick tries again
        }
    }
    m_Colors.pop_front();
    for (int part = 0; part < 3; ++part) {
        SetWindowTextA(GetDlgItem(picker, COLOR_RED_EDIT + part), std::to_string(parts[part]).c_str());
    }
    SendMessageA(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

void Win32ScriptedFace::SetWaitCursor(bool busy) {
    m_WaitCursorDepth += busy ? 1 : -1;
    m_WaitCursorShows += busy ? 1 : 0;
    m_Face.SetWaitCursor(busy);
}

} // namespace dravo::test
