// A dialog on real Win32 controls: the window procedure, and what the controls tell the model.
#include "window/win32/Win32Dialog.h"

#include "window/win32/Win32DialogTemplate.h"
#include "window/win32/Win32WindowSystem.h"

#include <commctrl.h>

#include <algorithm>

namespace dravo {
namespace {

// Posted at WM_INITDIALOG: arrives once the modal loop has shown the dialog.
constexpr UINT WM_DIALOG_SHOWN = WM_APP + 1;

constexpr UINT_PTR KEYS_SUBCLASS = 1;

bool IsShown(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0 && IsWindowEnabled(window) != 0;
}

bool IsPrintable(WPARAM character) {
    return character >= 0x20 && character != 0x7F;
}

// The controls whose keys the dialog watches: buttons, lists and read-only edits (the log).
bool WatchesKeys(const ControlTemplate& control) {
    switch (control.m_Kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
    case ControlKind::ListBox:
        return true;
    case ControlKind::Edit:
        return HasFlag(control.m_Flags, ControlFlag::ReadOnly);
    default:
        return false;
    }
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

} // namespace

Win32Dialog::Win32Dialog(Win32WindowSystem& face, DialogApi& dialog)
    : m_Face(face), m_Dialog(dialog), m_Shown(dialog.Model().Controls().size()) {}

void Win32Dialog::Run(HWND owner) {
    const std::vector<WORD> words = BuildWin32DialogTemplate(m_Dialog.Template(), owner == nullptr);
    DialogBoxIndirectParamW(m_Face.Instance(), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner, &DialogProc,
                            reinterpret_cast<LPARAM>(this));
    m_Window = nullptr;
    for (HBITMAP bitmap : m_Bitmaps) {
        DeleteObject(bitmap);
    }
    m_Bitmaps.clear();
}

HWND Win32Dialog::Control(int id) const {
    return m_Window == nullptr ? nullptr : GetDlgItem(m_Window, id);
}

size_t Win32Dialog::IndexOf(const ControlState& control) const {
    return static_cast<size_t>(&control - m_Dialog.Model().Controls().data());
}

bool Win32Dialog::Owns(const ControlState& control) const {
    const auto controls = m_Dialog.Model().Controls();
    return !controls.empty() && &control >= controls.data() && &control < controls.data() + controls.size();
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        auto* self = reinterpret_cast<Win32Dialog*>(lParam);
        self->m_Window = window;
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->m_Window != window) {
        return FALSE;
    }
    const INT_PTR handled = self->Handle(message, wParam, lParam);
    self->m_Face.AfterDelivery();
    return handled;
}

INT_PTR Win32Dialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? FALSE : TRUE;
    case WM_DIALOG_SHOWN:
        m_Dialog.Show();
        Settle();
        return TRUE;
    case WM_COMMAND:
        if (!m_Pushing) {
            OnControlCommand(LOWORD(wParam), HIWORD(wParam));
        }
        return TRUE;
    case WM_CLOSE:
        m_Dialog.DeliverCloseRequest(false);
        return TRUE;
    case WM_SETCURSOR:
        if (m_Face.IsBusy()) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            SetWindowLongPtrW(m_Window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    default:
        (void)lParam;
        return FALSE;
    }
}

bool Win32Dialog::OnInitDialog() {
    const DialogTemplate& dialogTemplate = m_Dialog.Template();
    if (const ControlState* input = m_Dialog.Model().TypedFirstInput()) {
        m_TypedInput = static_cast<int>(IndexOf(*input));
    }
    for (size_t index = 0; index < dialogTemplate.m_Controls.size(); ++index) {
        if (HWND window = GetDlgItem(m_Window, Win32ControlId(dialogTemplate, index))) {
            InitControl(index, window);
        }
    }
    m_ShownTitle = m_Dialog.Title();
    m_Dialog.Init();
    bool focused = TakeFocusRequest();
    if (!focused) {
        if (HWND input = TypingInput()) {
            SendMessageW(m_Window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(input), TRUE);
            focused = true;
        }
    }
    Settle();
    PostMessageW(m_Window, WM_DIALOG_SHOWN, 0, 0);
    return focused;
}

void Win32Dialog::InitControl(size_t index, HWND window) {
    const ControlTemplate& control = m_Dialog.Template().m_Controls[index];
    const ControlState& state = m_Dialog.Model().Controls()[index];
    Shown& shown = m_Shown[index];
    if (control.m_Kind == ControlKind::Bitmap) {
        const std::string name(control.m_Text);
        auto* bitmap = static_cast<HBITMAP>(LoadImageA(m_Face.Instance(), name.c_str(), IMAGE_BITMAP, 0, 0, 0));
        if (bitmap != nullptr) {
            m_Bitmaps.push_back(bitmap);
            SendMessageA(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
        }
    } else if (control.m_Kind == ControlKind::Edit) {
        SendMessageA(window, EM_SETLIMITTEXT, static_cast<WPARAM>(state.m_TypingLimit), 0);
        shown.m_TypingLimit = state.m_TypingLimit;
    }
    if (WatchesKeys(control) || static_cast<int>(index) == m_TypedInput) {
        SetWindowSubclass(window, &ControlProc, KEYS_SUBCLASS, reinterpret_cast<DWORD_PTR>(this));
    }
    shown.m_Text = state.m_Text.Text();
    shown.m_Enabled = state.m_Enabled;
    shown.m_Visible = state.m_Visible;
}

LRESULT CALLBACK Win32Dialog::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclass,
                                          DWORD_PTR self) {
    auto* dialog = reinterpret_cast<Win32Dialog*>(self);
    const bool typedFirst = dialog->m_TypedInput >= 0;
    switch (message) {
    case WM_GETDLGCODE: {
        // Characters go to the control, so the dialog manager never takes a bare letter for a button's
        // mnemonic; Alt and the letter still press it. In a dialog typed into first Esc comes here too,
        // so that it is not the Cancel key.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const bool escape = key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE;
        const bool enter = key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        const LRESULT wanted = window == dialog->TypingInput() ? 0 : DLGC_WANTCHARS;
        const bool ownKey = (typedFirst && escape) || (enter && dialog->ListTakesEnter(window));
        return DefSubclassProc(window, message, wParam, lParam) | wanted | (ownKey ? DLGC_WANTMESSAGE : 0);
    }
    case WM_CHAR:
        if ((typedFirst && wParam == VK_ESCAPE) || (wParam == VK_RETURN && dialog->ListTakesEnter(window)) ||
            (window != dialog->TypingInput() && dialog->TypeIntoInput(wParam, lParam))) {
            return 0;
        }
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (dialog->TakesKey(window, message, wParam)) {
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, &ControlProc, subclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

bool Win32Dialog::ListTakesEnter(HWND control) const {
    if (m_TypedInput >= 0 || m_Dialog.Ended()) {
        return false; // in the console window Enter sends the command line
    }
    const ControlState* list = m_Dialog.Model().Find(GetDlgCtrlID(control));
    return list != nullptr && list->Kind() == ControlKind::ListBox && list->Has(ControlFlag::Notify) &&
           list->m_List.Selection() != NO_SELECTION;
}

void Win32Dialog::EnterOnList(HWND control) {
    // Enter on an item does what a double click on it does (Add, Remove); a dialog that does nothing on
    // a double click gets its default button instead.
    const uint64_t before = m_Face.Activity();
    m_Dialog.SendCommand(GetDlgCtrlID(control), Notification::DoubleClick);
    if (!m_Dialog.Ended() && m_Face.Activity() == before) {
        (void)m_Dialog.PressDefaultButton();
    }
}

bool Win32Dialog::TakesKey(HWND control, UINT message, WPARAM key) {
    if (message == WM_KEYDOWN && key == VK_RETURN && ListTakesEnter(control)) {
        EnterOnList(control);
        return true;
    }
    if (message == WM_KEYUP && key == VK_RETURN && ListTakesEnter(control)) {
        return true;
    }
    HWND input = TypingInput();
    if (m_TypedInput >= 0 && key == VK_ESCAPE) {
        return true; // in the console window Esc is a stray key: the exit question has its own ways
    }
    if (input == nullptr) {
        return false;
    }
    if (control != input) {
        // Space, typed on a button where typing goes to the input, is a character, not a press.
        return key == VK_SPACE;
    }
    if (message != WM_KEYDOWN || (key != VK_UP && key != VK_DOWN)) {
        return false;
    }
    const int id = Win32ControlId(m_Dialog.Template(), static_cast<size_t>(m_TypedInput));
    if (auto recalled = m_Dialog.DeliverRecall(ControlId(id), key == VK_UP ? -1 : 1, WindowText(input))) {
        SetWindowTextA(input, recalled->c_str());
        const auto end = static_cast<WPARAM>(recalled->size());
        SendMessageW(input, EM_SETSEL, end, static_cast<LPARAM>(end));
    }
    return true;
}

void Win32Dialog::ReturnFocusToInput() {
    HWND input = TypingInput();
    if (input == nullptr || m_Dialog.Ended() || IsWindowEnabled(m_Window) == 0 || GetFocus() == input) {
        return;
    }
    if (TakeFocusRequest()) {
        return; // the procedure chose where the focus goes
    }
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(input, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    SendMessageW(m_Window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(input), TRUE);
    SendMessageW(input, EM_SETSEL, start, static_cast<LPARAM>(end));
}

HWND Win32Dialog::TypingInput() const {
    if (m_TypedInput < 0 || m_Window == nullptr) {
        return nullptr;
    }
    HWND input = GetDlgItem(m_Window, Win32ControlId(m_Dialog.Template(), static_cast<size_t>(m_TypedInput)));
    return input != nullptr && IsShown(input) ? input : nullptr;
}

bool Win32Dialog::TypeIntoInput(WPARAM character, LPARAM keyData) {
    HWND input = IsPrintable(character) ? TypingInput() : nullptr;
    if (input == nullptr) {
        return false;
    }
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(input, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    // As Tab would move it, so that Enter sends the command again; the caret stays where it was.
    SendMessageW(m_Window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(input), TRUE);
    SendMessageW(input, EM_SETSEL, start, static_cast<LPARAM>(end));
    SendMessageW(input, WM_CHAR, character, keyData);
    return true;
}

bool Win32Dialog::TakeFocusRequest() {
    // A dialog under a modal one keeps its request until it takes input again.
    if (m_Window == nullptr || m_Dialog.Ended() || IsWindowEnabled(m_Window) == 0) {
        return false;
    }
    const int requested = m_Dialog.Model().TakeFocusRequest();
    if (requested < 0) {
        return false;
    }
    HWND control = GetDlgItem(m_Window, Win32ControlId(m_Dialog.Template(), static_cast<size_t>(requested)));
    if (control == nullptr || !IsShown(control)) {
        return false;
    }
    // As Tab gives it: an edit's text all selected, so that typing replaces a refused value.
    SendMessageW(m_Window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return true;
}

void Win32Dialog::OnControlCommand(int id, int code) {
    ControlState* control = m_Dialog.Model().Find(id);
    if (control == nullptr) {
        // Enter with no default button is IDOK, Esc is IDCANCEL: commands of the dialog itself.
        if (code == BN_CLICKED && (id == DIALOG_ID_OK || id == DIALOG_ID_CANCEL)) {
            m_Dialog.SendCommand(id, Notification::Click);
        }
        return;
    }
    HWND window = Control(id);
    const size_t index = IndexOf(*control);
    switch (control->Kind()) {
    case ControlKind::Edit:
        if (code == EN_CHANGE && window != nullptr) {
            control->m_Text.SetText(WindowText(window));
            m_Shown[index].m_Text = control->m_Text.Text();
        }
        return;
    case ControlKind::ListBox: {
        if (code != LBN_SELCHANGE && code != LBN_DBLCLK) {
            return;
        }
        const int selection = window == nullptr ? -1 : static_cast<int>(SendMessageA(window, LB_GETCURSEL, 0, 0));
        (void)control->m_List.Select(selection < 0 ? NO_SELECTION : selection);
        m_Shown[index].m_Selection = control->m_List.Selection();
        if (control->Has(ControlFlag::Notify)) {
            m_Dialog.SendCommand(id, code == LBN_DBLCLK ? Notification::DoubleClick : Notification::SelectionChange);
        }
        return;
    }
    case ControlKind::CheckBox:
        if (code == BN_CLICKED && window != nullptr) {
            control->m_Checked = SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
            m_Shown[index].m_Checked = control->m_Checked;
            m_Dialog.SendCommand(id, Notification::Click);
        }
        return;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        if (code == BN_CLICKED && control->m_Enabled) {
            m_Dialog.SendCommand(id, Notification::Click);
            // Whether Enter, Space, Alt or a click pressed it, the next Enter is the input's again.
            ReturnFocusToInput();
        }
        return;
    default:
        return;
    }
}

} // namespace dravo
