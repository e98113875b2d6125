// Writing a DialogTemplate as a DLGTEMPLATEEX.
#include "window/win32/Win32DialogTemplate.h"

#include <string>
#include <string_view>

namespace dravo {
namespace {

constexpr WORD BUTTON_ATOM = 0x0080;
constexpr WORD EDIT_ATOM = 0x0081;
constexpr WORD STATIC_ATOM = 0x0082;
constexpr WORD LISTBOX_ATOM = 0x0083;

std::wstring Wide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// Appends little pieces to the word buffer in the layout's order.
class TemplateWriter {
public:
    void Word(WORD value) { m_Words.push_back(value); }
    void DoubleWord(DWORD value) {
        Word(static_cast<WORD>(value & 0xFFFF));
        Word(static_cast<WORD>(value >> 16));
    }
    void Short(int16_t value) { Word(static_cast<WORD>(value)); }
    void Text(std::string_view text) {
        for (const wchar_t c : Wide(text)) {
            Word(static_cast<WORD>(c));
        }
        Word(0);
    }
    void AlignToDoubleWord() {
        if (m_Words.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<WORD> Take() { return std::move(m_Words); }

private:
    std::vector<WORD> m_Words;
};

DWORD DialogStyleOf(const DialogTemplate& dialogTemplate) {
    const auto has = [&](DialogStyle style) {
        return (static_cast<uint32_t>(dialogTemplate.m_Style) & static_cast<uint32_t>(style)) != 0;
    };
    // Shown as it is created, right after WM_INITDIALOG, before the procedure hears that it was shown.
    DWORD style = DS_SETFONT | DS_3DLOOK | WS_VISIBLE;
    style |= has(DialogStyle::Popup) ? WS_POPUP : 0;
    style |= has(DialogStyle::Caption) ? WS_CAPTION : 0;
    style |= has(DialogStyle::SystemMenu) ? WS_SYSMENU : 0;
    style |= has(DialogStyle::MinimizeBox) ? WS_MINIMIZEBOX : 0;
    style |= has(DialogStyle::ModalFrame) ? DS_MODALFRAME : 0;
    // Every dialog opens in the middle of the screen (or of its owner).
    style |= DS_CENTER;
    return style;
}

} // namespace

int Win32ControlId(const DialogTemplate& dialogTemplate, size_t index) {
    const int id = dialogTemplate.m_Controls[index].m_Id;
    return id == NO_CONTROL_ID ? SYNTHETIC_CONTROL_ID_BASE + static_cast<int>(index) : id;
}

Win32ControlStyle Win32StyleOf(const ControlTemplate& control) {
    const auto has = [&](ControlFlag flag) { return HasFlag(control.m_Flags, flag); };
    Win32ControlStyle style;
    DWORD common = WS_CHILD;
    common |= has(ControlFlag::Hidden) ? 0 : WS_VISIBLE;
    common |= has(ControlFlag::Disabled) ? WS_DISABLED : 0;
    switch (control.m_Kind) {
    case ControlKind::Static:
        style = {L"Static", STATIC_ATOM, static_cast<DWORD>(has(ControlFlag::RightAligned) ? SS_RIGHT : SS_LEFT)};
        // Texts filled at run time (names from players and operators) show an "&" as it is.
        style.m_Style |= control.m_Id == NO_CONTROL_ID ? 0 : SS_NOPREFIX;
        break;
    case ControlKind::GroupBox:
        style = {L"Button", BUTTON_ATOM, BS_GROUPBOX};
        break;
    case ControlKind::PushButton:
        style = {L"Button", BUTTON_ATOM, BS_PUSHBUTTON | WS_TABSTOP};
        break;
    case ControlKind::DefaultPushButton:
        style = {L"Button", BUTTON_ATOM, BS_DEFPUSHBUTTON | WS_TABSTOP};
        break;
    case ControlKind::CheckBox:
        style = {L"Button", BUTTON_ATOM, BS_AUTOCHECKBOX | WS_TABSTOP};
        break;
    case ControlKind::Edit:
        style = {L"Edit", EDIT_ATOM, WS_TABSTOP, WS_EX_CLIENTEDGE};
        style.m_Style |= has(ControlFlag::MultiLine) ? ES_MULTILINE : 0;
        style.m_Style |= has(ControlFlag::ReadOnly) ? ES_READONLY : 0;
        style.m_Style |= has(ControlFlag::DigitsOnly) ? ES_NUMBER : 0;
        style.m_Style |= has(ControlFlag::RightAligned) ? ES_RIGHT : 0;
        style.m_Style |= has(ControlFlag::HorizontalScroll) ? ES_AUTOHSCROLL : 0;
        style.m_Style |= has(ControlFlag::AutoScroll) ? ES_AUTOVSCROLL : 0;
        style.m_Style |= has(ControlFlag::VerticalScroll) ? WS_VSCROLL : 0;
        break;
    case ControlKind::ListBox:
        style = {L"ListBox", LISTBOX_ATOM, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE};
        style.m_Style |= has(ControlFlag::Sorted) ? LBS_SORT : 0;
        style.m_Style |= has(ControlFlag::TabStops) ? LBS_USETABSTOPS : 0;
        style.m_Style |= has(ControlFlag::NoSelection) ? LBS_NOSEL : 0;
        style.m_Style |= has(ControlFlag::VerticalScroll) ? WS_VSCROLL : 0;
        break;
    case ControlKind::Bitmap:
        style = {L"Static", STATIC_ATOM, SS_BITMAP};
        style.m_Style |= has(ControlFlag::Centered) ? SS_CENTERIMAGE : 0;
        style.m_Style |= has(ControlFlag::Border) ? WS_BORDER : 0;
        break;
    case ControlKind::Separator:
        style = {L"Static", STATIC_ATOM, SS_ETCHEDHORZ};
        break;
    }
    style.m_Style |= common;
    if (control.m_Kind != ControlKind::Edit && control.m_Kind != ControlKind::ListBox && has(ControlFlag::Border)) {
        style.m_Style |= WS_BORDER;
    }
    return style;
}

std::vector<WORD> BuildWin32DialogTemplate(const DialogTemplate& dialogTemplate, bool topLevel) {
    TemplateWriter out;
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature: the extended layout
    out.DoubleWord(0); // helpID
    out.DoubleWord(topLevel ? WS_EX_APPWINDOW : 0);
    out.DoubleWord(DialogStyleOf(dialogTemplate));
    out.Word(static_cast<WORD>(dialogTemplate.m_Controls.size()));
    out.Short(0); // x, y: DS_CENTER places it
    out.Short(0);
    out.Short(dialogTemplate.m_Width);
    out.Short(dialogTemplate.m_Height);
    out.Word(0); // no menu
    out.Word(0); // the standard dialog class
    out.Text(dialogTemplate.m_Title);
    out.Word(static_cast<WORD>(dialogTemplate.m_FontPoints > 0 ? dialogTemplate.m_FontPoints : 8));
    out.Word(FW_NORMAL);
    out.Word(DEFAULT_CHARSET << 8); // italic 0, then the character set
    out.Text(dialogTemplate.m_FontName.empty() ? std::string_view("MS Shell Dlg") : dialogTemplate.m_FontName);
    for (size_t index = 0; index < dialogTemplate.m_Controls.size(); ++index) {
        const ControlTemplate& control = dialogTemplate.m_Controls[index];
        const Win32ControlStyle style = Win32StyleOf(control);
        out.AlignToDoubleWord();
        out.DoubleWord(0); // helpID
        out.DoubleWord(style.m_ExStyle);
        out.DoubleWord(style.m_Style);
        out.Short(control.m_Place.m_X);
        out.Short(control.m_Place.m_Y);
        out.Short(control.m_Place.m_Width);
        out.Short(control.m_Place.m_Height);
        out.DoubleWord(static_cast<DWORD>(Win32ControlId(dialogTemplate, index)));
        out.Word(0xFFFF);
        out.Word(style.m_ClassAtom);
        // A bitmap's text names its resource, which the dialog loads itself; the window starts without it.
        out.Text(control.m_Kind == ControlKind::Bitmap ? std::string_view() : control.m_Text);
        out.Word(0); // no creation data
    }
    return out.Take();
}

} // namespace dravo
