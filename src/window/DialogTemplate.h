// DialogTemplate: a dialog's layout as constant data - title, size and the controls its procedure
// addresses by id. Templates live in static storage (src/res/) and are never copied per run.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dravo {

// Controls that the procedure never addresses (frames, labels) carry no id.
constexpr int NO_CONTROL_ID = -1;
// Standard command ids: the OK button (also Enter when a dialog has no default button) and Cancel
// (also Esc and the close box).
constexpr int DIALOG_ID_OK = 1;
constexpr int DIALOG_ID_CANCEL = 2;

enum class ControlKind : uint8_t {
    Static,            // text or label
    GroupBox,          // frame with a caption
    PushButton,        //
    DefaultPushButton, // pressed by Enter
    CheckBox,          // toggles itself when clicked
    Edit,              //
    ListBox,           //
    Bitmap,            // Text names the bitmap resource
    Separator,         // horizontal line
};

// Style flags of a control; combine with |, test with HasFlag.
enum class ControlFlag : uint32_t {
    None = 0,
    Sorted = 1u << 0,            // list box keeps its items in order
    Notify = 1u << 1,            // list box reports selection changes and double clicks
    TabStops = 1u << 2,          // list box expands tabs
    ReadOnly = 1u << 3,          // edit the operator cannot type into
    MultiLine = 1u << 4,         // edit with several lines
    DigitsOnly = 1u << 5,        // edit that accepts typed digits only
    Hidden = 1u << 6,            // not visible at start
    Disabled = 1u << 7,          // disabled at start
    RightAligned = 1u << 8,      // text aligned right
    VerticalScroll = 1u << 9,    // vertical scroll bar
    HorizontalScroll = 1u << 10, // edit scrolls sideways as the operator types
    Border = 1u << 11,           //
    NoSelection = 1u << 12,      // list box whose items cannot be selected
    AutoScroll = 1u << 13,       // multi-line edit that follows the caret down
    Centered = 1u << 14,         // bitmap centred in its place
    Sunken = 1u << 15,           // sunken edge (separators)
};

constexpr ControlFlag operator|(ControlFlag left, ControlFlag right) {
    return static_cast<ControlFlag>(static_cast<uint32_t>(left) | static_cast<uint32_t>(right));
}

constexpr bool HasFlag(ControlFlag set, ControlFlag flag) {
    return (static_cast<uint32_t>(set) & static_cast<uint32_t>(flag)) == static_cast<uint32_t>(flag) &&
           flag != ControlFlag::None;
}

// Window style of the dialog itself.
enum class DialogStyle : uint32_t {
    None = 0,
    Popup = 1u << 0,
    Caption = 1u << 1,
    SystemMenu = 1u << 2,
    MinimizeBox = 1u << 3,
    ModalFrame = 1u << 4,
    Centered = 1u << 5, // centred on the screen
};

constexpr DialogStyle operator|(DialogStyle left, DialogStyle right) {
    return static_cast<DialogStyle>(static_cast<uint32_t>(left) | static_cast<uint32_t>(right));
}

// A place in dialog units.
struct DialogRect {
    int16_t m_X = 0;
    int16_t m_Y = 0;
    int16_t m_Width = 0;
    int16_t m_Height = 0;
};

struct ControlTemplate {
    int m_Id = NO_CONTROL_ID;                 // command and control id, or NO_CONTROL_ID
    ControlKind m_Kind = ControlKind::Static; //
    std::string_view m_Text;                  // caption, start text, or a bitmap's resource name
    DialogRect m_Place;                       // position and size in dialog units
    ControlFlag m_Flags = ControlFlag::None;  // style
};

struct DialogTemplate {
    std::string_view m_Name;                     // "NET_GAME"; empty for a numbered template
    int m_Number = 0;                            // 129; 0 for a named template
    std::string_view m_Title;                    // title at start; procedures may replace it
    int16_t m_Width = 0;                         // size in dialog units
    int16_t m_Height = 0;                        //
    std::string_view m_FontName;                 // font note: faces that draw text may ignore it
    int m_FontPoints = 0;                        //
    DialogStyle m_Style = DialogStyle::None;     //
    std::span<const ControlTemplate> m_Controls; // in tab order, as laid out

    // The first control with this id, or nullptr; NO_CONTROL_ID never matches.
    constexpr const ControlTemplate* FindControl(int id) const {
        if (id == NO_CONTROL_ID) {
            return nullptr;
        }
        for (const ControlTemplate& control : m_Controls) {
            if (control.m_Id == id) {
                return &control;
            }
        }
        return nullptr;
    }

    // The name, or the number written in decimal: how scripts and logs refer to a template.
    std::string Key() const { return m_Name.empty() ? std::to_string(m_Number) : std::string(m_Name); }
};

} // namespace dravo
