// The Win32 dialog's other half: the model's changes pushed to the controls, and the settling of what
// the controls show once a batch of changes is done.
#include "window/win32/Win32Dialog.h"

#include "window/CutText.h"

#include "window/win32/Win32DialogTemplate.h"
#include "window/win32/Win32WindowSystem.h"

#include <commctrl.h>

#include <algorithm>

namespace dravo {
namespace {

// A run-time text as its static shows it: the start that fits in the control's width in its font, and
// the cut mark, when the whole text does not fit. The model keeps the whole text.
std::string FittedText(HWND control, const std::string& text) {
    RECT client{};
    HDC context = GetDC(control);
    if (context == nullptr || !GetClientRect(control, &client)) {
        if (context != nullptr) {
            ReleaseDC(control, context);
        }
        return text;
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = font != nullptr ? SelectObject(context, font) : nullptr;
    const auto width = [context](std::string_view piece) {
        SIZE size{};
        GetTextExtentPoint32A(context, piece.data(), static_cast<int>(piece.size()), &size);
        return static_cast<int>(size.cx);
    };
    // Text in the system's code page: a lead byte and the byte after it are one character.
    const auto next = [](std::string_view piece, size_t at) {
        return std::min(piece.size(), at + (IsDBCSLeadByte(static_cast<BYTE>(piece[at])) ? 2 : 1));
    };
    std::string shown = CutWithMark(text, static_cast<int>(client.right - client.left), width, next);
    if (old != nullptr) {
        SelectObject(context, old);
    }
    ReleaseDC(control, context);
    return shown;
}

} // namespace

void Win32Dialog::Push(const ControlState& state) {
    if (m_Window == nullptr || !Owns(state)) {
        return;
    }
    const size_t index = IndexOf(state);
    HWND window = GetDlgItem(m_Window, Win32ControlId(m_Dialog.Template(), index));
    if (window == nullptr) {
        return;
    }
    Shown& shown = m_Shown[index];
    m_Pushing = true;
    if (state.Kind() == ControlKind::ListBox) {
        PushList(window, state, shown);
    } else if (state.Kind() != ControlKind::Bitmap) {
        PushText(index, window, state);
    }
    if (state.Kind() == ControlKind::CheckBox && shown.m_Checked != state.m_Checked) {
        SendMessageA(window, BM_SETCHECK, state.m_Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        shown.m_Checked = state.m_Checked;
    }
    if (shown.m_Enabled != state.m_Enabled) {
        EnableWindow(window, state.m_Enabled ? TRUE : FALSE);
        shown.m_Enabled = state.m_Enabled;
    }
    if (shown.m_Visible != state.m_Visible) {
        ShowWindow(window, state.m_Visible ? SW_SHOWNA : SW_HIDE);
        shown.m_Visible = state.m_Visible;
    }
    if (state.Kind() == ControlKind::Edit && shown.m_TypingLimit != state.m_TypingLimit) {
        SendMessageA(window, EM_SETLIMITTEXT, static_cast<WPARAM>(state.m_TypingLimit), 0);
        shown.m_TypingLimit = state.m_TypingLimit;
    }
    m_Pushing = false;
}

void Win32Dialog::Appended(const ControlState& state, std::string_view) {
    Push(state); // the comparison finds the appended tail
}

void Win32Dialog::PushText(size_t index, HWND window, const ControlState& state) {
    Shown& shown = m_Shown[index];
    const std::string& text = state.m_Text.Text();
    if (shown.m_Text == text) {
        return;
    }
    if (state.Kind() == ControlKind::Edit && state.Has(ControlFlag::MultiLine)) {
        const std::string& old = shown.m_Text;
        if (text.size() > old.size() && text.compare(0, old.size(), old) == 0) {
            // Appended: add the tail at the end and keep it in view.
            const std::string tail = text.substr(old.size());
            const auto end = static_cast<WPARAM>(GetWindowTextLengthA(window));
            SendMessageA(window, EM_SETSEL, end, static_cast<LPARAM>(end));
            SendMessageA(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(tail.c_str()));
            SendMessageA(window, EM_SCROLLCARET, 0, 0);
            shown.m_Text = text;
            return;
        }
        if (old.size() > text.size() && old.compare(old.size() - text.size(), text.size(), text) == 0) {
            // Trimmed at the top: remove the first characters.
            SendMessageA(window, EM_SETSEL, 0, static_cast<LPARAM>(old.size() - text.size()));
            SendMessageA(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
            const auto end = static_cast<WPARAM>(GetWindowTextLengthA(window));
            SendMessageA(window, EM_SETSEL, end, static_cast<LPARAM>(end));
            SendMessageA(window, EM_SCROLLCARET, 0, 0);
            shown.m_Text = text;
            return;
        }
    }
    SetWindowTextA(window, MarksCutText(state.Template()) ? FittedText(window, text).c_str() : text.c_str());
    if (state.Kind() == ControlKind::Edit && state.Has(ControlFlag::AutoScroll)) {
        const auto end = static_cast<WPARAM>(GetWindowTextLengthA(window));
        SendMessageA(window, EM_SETSEL, end, static_cast<LPARAM>(end));
        SendMessageA(window, EM_SCROLLCARET, 0, 0);
    }
    shown.m_Text = text;
}

void Win32Dialog::PushList(HWND window, const ControlState& state, Shown& shown) {
    const std::vector<ListItem>& items = state.m_List.Items();
    if (shown.m_TabStops != state.m_List.TabStops()) {
        shown.m_TabStops = state.m_List.TabStops();
        std::vector<int> stops = shown.m_TabStops;
        SendMessageA(window, LB_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
        InvalidateRect(window, nullptr, TRUE);
    }
    // What stays at the top and at the bottom; the middle is replaced.
    const size_t oldCount = shown.m_Items.size();
    const size_t newCount = items.size();
    size_t top = 0;
    while (top < oldCount && top < newCount && shown.m_Items[top] == items[top].m_Text) {
        ++top;
    }
    size_t bottom = 0;
    while (bottom < oldCount - top && bottom < newCount - top &&
           shown.m_Items[oldCount - 1 - bottom] == items[newCount - 1 - bottom].m_Text) {
        ++bottom;
    }
    const bool many = oldCount - top - bottom + newCount - top - bottom > 8;
    if (many) {
        SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    }
    for (size_t removed = 0; removed < oldCount - top - bottom; ++removed) {
        SendMessageA(window, LB_DELETESTRING, top, 0);
    }
    for (size_t added = top; added < newCount - bottom; ++added) {
        SendMessageA(window, LB_INSERTSTRING, added, reinterpret_cast<LPARAM>(items[added].m_Text.c_str()));
    }
    if (many) {
        SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window, nullptr, TRUE);
    }
    shown.m_Items.clear();
    for (const ListItem& item : items) {
        shown.m_Items.push_back(item.m_Text);
    }
    const int selection = state.m_List.Selection();
    if (static_cast<int>(SendMessageA(window, LB_GETCURSEL, 0, 0)) != selection) {
        SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    }
    shown.m_Selection = selection;
}

void Win32Dialog::Settle() {
    if (m_Window == nullptr) {
        return;
    }
    (void)TakeFocusRequest();
    if (m_ShownTitle != m_Dialog.Title()) {
        m_ShownTitle = m_Dialog.Title();
        SetWindowTextA(m_Window, m_ShownTitle.c_str());
    }
    if (m_ShownIcon != m_Dialog.Model().Icon()) {
        m_ShownIcon = m_Dialog.Model().Icon();
        HICON icon = LoadIconA(m_Face.Instance(), MAKEINTRESOURCEA(m_ShownIcon));
        if (icon != nullptr) {
            SendMessageA(m_Window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SendMessageA(m_Window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
    }
    if (m_Dialog.Ended() && !m_EndSent) {
        m_EndSent = true;
        EndDialog(m_Window, m_Dialog.Result());
    }
}

} // namespace dravo
