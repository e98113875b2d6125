// Win32Dialog: one dialog running on real Win32 controls - its window procedure, and the two-way link
// between the dialog model and the controls.
//
// Window thread only. Model to controls: whatever the procedure changed is compared with what the
// control shows and only the difference is applied (an appended log line is appended, a list gets the
// items that changed). Controls to model: typed text, a clicked check box and a list selection are taken
// into the model first; then the command goes to the procedure, a list's only when the template asks
// for notifications.
//
// Keys. A button answers to Alt and its letter only, never to the bare letter. In a dialog typed into
// first (the console window) the focus starts in its input, and printable keys typed on a button, a list
// or the log go to the input, where the operator left the caret. The focus a procedure asks for
// (DialogApi::SetFocus) is given as Tab gives it: an edit's whole text selected. There Esc is a stray key
// (the exit question comes from Shutdown, Alt+S, the close box or a close request), Up and Down in the
// input recall the lines sent before, and once a button has acted the focus is back in the input.
#pragma once

#include "window/DialogApi.h"

#include <windows.h>

#include <string>
#include <vector>

namespace dravo {

class Win32WindowSystem;

class Win32Dialog {
public:
    Win32Dialog(Win32WindowSystem& face, DialogApi& dialog);
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    // Runs the modal loop; returns when the procedure has ended the dialog.
    void Run(HWND owner);

    HWND Window() const { return m_Window; }
    // The control's window, or null when the dialog has no such control.
    HWND Control(int id) const;
    DialogApi& Api() { return m_Dialog; }
    const DialogTemplate& Template() const { return m_Dialog.Template(); }

    bool Owns(const ControlState& control) const;
    // The procedure changed a control: show the change.
    void Push(const ControlState& control);
    // Text was appended to an edit.
    void Appended(const ControlState& control, std::string_view text);
    // Title and icon, and the end of the dialog once the procedure asked for it.
    void Settle();

private:
    // What a control shows, to compare the model with.
    struct Shown {
        std::string m_Text;
        bool m_Checked = false;
        bool m_Enabled = true;
        bool m_Visible = true;
        std::vector<std::string> m_Items;
        int m_Selection = -1;
        std::vector<int> m_TabStops;
        int m_TypingLimit = 0;
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclass,
                                        DWORD_PTR self);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // True when the dialog has put the focus itself; else the dialog manager gives it to the first control.
    bool OnInitDialog();
    void InitControl(size_t index, HWND window);
    // Gives the focus the procedure asked for; false when it asked for none (or for a control that
    // cannot take it).
    bool TakeFocusRequest();
    // The input of a dialog typed into first, when it can take keys now; null otherwise.
    HWND TypingInput() const;
    // A printable key typed on another control of a dialog typed into first: typed into its input.
    bool TypeIntoInput(WPARAM character, LPARAM keyData);
    // A key down or up that the dialog takes itself: Enter on a list item; in a dialog typed into first
    // Esc, Space on a button, and Up and Down in the input, which recall the lines sent before.
    bool TakesKey(HWND control, UINT message, WPARAM key);
    // A list whose items answer to Enter: one with notifications and a selection, in a dialog not typed
    // into first.
    bool ListTakesEnter(HWND control) const;
    void EnterOnList(HWND control);
    // After a button acted: the focus back in the input, the caret where it was.
    void ReturnFocusToInput();
    void OnControlCommand(int id, int code);
    void PushText(size_t index, HWND control, const ControlState& state);
    void PushList(HWND control, const ControlState& state, Shown& shown);
    size_t IndexOf(const ControlState& control) const;

    Win32WindowSystem& m_Face;
    DialogApi& m_Dialog;
    HWND m_Window = nullptr;
    std::vector<Shown> m_Shown; // per control of the model, in template order
    std::string m_ShownTitle;
    int m_ShownIcon = 0;
    int m_TypedInput = -1; // index of the input of a dialog typed into first, or -1
    std::vector<HBITMAP> m_Bitmaps;
    bool m_Pushing = false; // our own changes of a control are not the operator's
    bool m_EndSent = false;
};

} // namespace dravo
