// Win32DialogTemplate: a DialogTemplate as the in-memory DLGTEMPLATEEX that DialogBoxIndirectParamW runs.
//
// Dialog units carry over one to one. Every control gets a window id: its own, or, for the frames and
// labels that have none, SyntheticControlId of its place, so that each control can be found by id. Bitmaps
// are statics whose picture the dialog loads when it starts; list boxes always notify (the face passes on
// only what the template asks for) and are filled in the model's order.
#pragma once

#include "window/DialogTemplate.h"

#include <windows.h>

#include <cstddef>
#include <vector>

namespace dravo {

// Window ids for controls without an id of their own: above every id a template uses.
constexpr int SYNTHETIC_CONTROL_ID_BASE = 0x7000;

// The window id of the control at `index` of the template.
int Win32ControlId(const DialogTemplate& dialogTemplate, size_t index);

struct Win32ControlStyle {
    const wchar_t* m_Class = nullptr; // WC_BUTTON, WC_EDIT, WC_STATIC, WC_LISTBOX
    WORD m_ClassAtom = 0;             // the predefined class's ordinal in a template
    DWORD m_Style = 0;
    DWORD m_ExStyle = 0;
};

// The window class and styles of one control.
Win32ControlStyle Win32StyleOf(const ControlTemplate& control);

// The template as DLGTEMPLATEEX words, ready for DialogBoxIndirectParamW. `topLevel`: the dialog has no
// owner and stands in the taskbar.
std::vector<WORD> BuildWin32DialogTemplate(const DialogTemplate& dialogTemplate, bool topLevel);

} // namespace dravo
