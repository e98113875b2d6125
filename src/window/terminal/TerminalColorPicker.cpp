// The terminal face's colour picker.
#include "window/terminal/TerminalColorPicker.h"

#include "window/DialogApi.h"

#include <algorithm>
#include <string>

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;

constexpr int COMPONENT_MAX = 255;

constexpr int Id(TerminalColorPicker::Control control) {
    return static_cast<int>(control);
}

constexpr ControlTemplate CONTROLS[] = {
    // Edits 16 units wide take three digits.
    {NO_CONTROL_ID, Static, "&Red (0-255):", {7, 9, 60, 8}, RightAligned},
    {Id(TerminalColorPicker::Control::Red), Edit, "", {70, 7, 16, 12}, DigitsOnly},
    {NO_CONTROL_ID, Static, "&Green (0-255):", {7, 25, 60, 8}, RightAligned},
    {Id(TerminalColorPicker::Control::Green), Edit, "", {70, 23, 16, 12}, DigitsOnly},
    {NO_CONTROL_ID, Static, "&Blue (0-255):", {7, 41, 60, 8}, RightAligned},
    {Id(TerminalColorPicker::Control::Blue), Edit, "", {70, 39, 16, 12}, DigitsOnly},
    {DIALOG_ID_OK, DefaultPushButton, "OK", {10, 60, 45, 14}},
    {DIALOG_ID_CANCEL, PushButton, "Cancel", {62, 60, 45, 14}},
};

constexpr DialogTemplate COLOR_PICKER = {
    .m_Name = "",
    .m_Number = 0,
    .m_Title = "Color",
    .m_Width = 117,
    .m_Height = 81,
    .m_FontName = "",
    .m_FontPoints = 0,
    .m_Style = DialogStyle::Popup | DialogStyle::Caption | DialogStyle::Centered,
    .m_Controls = CONTROLS,
};

} // namespace

const DialogTemplate& TerminalColorPicker::Template() {
    return COLOR_PICKER;
}

uint8_t TerminalColorPicker::ReadComponent(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = std::min(value * 10 + (c - '0'), COMPONENT_MAX);
    }
    return static_cast<uint8_t>(value);
}

void TerminalColorPicker::OnInit(DialogApi& dialog) {
    (void)dialog.SetItemText(Control::Red, std::to_string(m_Initial.m_Red));
    (void)dialog.SetItemText(Control::Green, std::to_string(m_Initial.m_Green));
    (void)dialog.SetItemText(Control::Blue, std::to_string(m_Initial.m_Blue));
}

bool TerminalColorPicker::InRange(std::string_view text) {
    const size_t digits = text.find_first_not_of('0');
    return digits == std::string_view::npos || text.size() - digits < 3 ||
           (text.size() - digits == 3 && text.substr(digits) <= "255");
}

void TerminalColorPicker::OnCommand(DialogApi& dialog, int id, Notification /*code*/) {
    if (id == DIALOG_ID_OK) {
        for (const Control component : {Control::Red, Control::Green, Control::Blue}) {
            if (!InRange(dialog.GetItemText(component))) {
                (void)dialog.ShowMessageBox(RANGE_TEXT, COLOR_PICKER.m_Title, MessageBoxButtons::Ok,
                                            MessageBoxIcon::Information);
                (void)dialog.SetFocus(component);
                return;
            }
        }
        m_Chosen =
            ColorRgb{ReadComponent(dialog.GetItemText(Control::Red)), ReadComponent(dialog.GetItemText(Control::Green)),
                     ReadComponent(dialog.GetItemText(Control::Blue))};
        dialog.EndDialog(DIALOG_ID_OK);
    } else if (id == DIALOG_ID_CANCEL) {
        dialog.EndDialog(DIALOG_ID_CANCEL);
    }
}

} // namespace dravo
