// WizardFrame: what every setup page template shares - its size, title and style, the "DRAVO" picture,
// the heading, the line above the buttons and Back / Next / Cancel - with the ids of those buttons.
#pragma once

#include "window/DialogTemplate.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace dravo {

// Buttons of the common frame.
enum class WizardControl : int {
    Cancel = 2,  // "&Cancel"; also Esc and the close box
    Back = 1003, // "< &Back"
    Next = 1004, // "&Next >" (the default button), "&Finish" on the last page
};

inline constexpr std::string_view WIZARD_TITLE = "Dravo Server Wizard";
inline constexpr std::string_view WIZARD_BITMAP = "DRAVO";
inline constexpr std::string_view DIALOG_FONT_NAME = "MS Sans Serif";
constexpr int DIALOG_FONT_POINTS = 8;
constexpr int16_t WIZARD_WIDTH = 270;
constexpr int16_t WIZARD_HEIGHT = 170;
constexpr DialogStyle WIZARD_STYLE = DialogStyle::Popup | DialogStyle::Caption | DialogStyle::SystemMenu |
                                     DialogStyle::ModalFrame | DialogStyle::Centered;
inline constexpr std::string_view NEXT_TEXT = "&Next >";
inline constexpr std::string_view FINISH_TEXT = "&Finish";
// The caption of the message boxes a page shows.
inline constexpr std::string_view PAGE_MESSAGE_CAPTION = "DravoServ";

// How one page fills the frame.
struct WizardFrameText {
    std::string_view m_Heading;              // the page's question
    std::string_view m_NextText = NEXT_TEXT; //
    bool m_BackDisabled = false;             // the first page has nowhere to go back to
};

// Controls the frame adds around a page's own.
constexpr size_t WIZARD_FRAME_CONTROLS = 6;

// The picture and heading, then the page's controls, then the line and the three buttons.
template <size_t N>
constexpr std::array<ControlTemplate, N + WIZARD_FRAME_CONTROLS>
WithWizardFrame(const WizardFrameText& frame, const std::array<ControlTemplate, N>& page) {
    using enum ControlKind;
    using enum ControlFlag;
    std::array<ControlTemplate, N + WIZARD_FRAME_CONTROLS> all{};
    all[0] = {NO_CONTROL_ID, Bitmap, WIZARD_BITMAP, {7, 7, 36, 125}, Border | Centered};
    all[1] = {NO_CONTROL_ID, Static, frame.m_Heading, {50, 10, 213, 8}};
    for (size_t i = 0; i < N; ++i) {
        all[2 + i] = page[i];
    }
    all[N + 2] = {NO_CONTROL_ID, Separator, "", {7, 142, 256, 1}, Sunken};
    all[N + 3] = {static_cast<int>(WizardControl::Back),
                  PushButton,
                  "< &Back",
                  {85, 149, 50, 14},
                  frame.m_BackDisabled ? Disabled : None};
    all[N + 4] = {static_cast<int>(WizardControl::Next), DefaultPushButton, frame.m_NextText, {135, 149, 50, 14}};
    all[N + 5] = {static_cast<int>(WizardControl::Cancel), PushButton, "&Cancel", {213, 149, 50, 14}};
    return all;
}

// A named page template in the common frame.
constexpr DialogTemplate WizardPageTemplate(std::string_view name, std::span<const ControlTemplate> controls) {
    return DialogTemplate{
        .m_Name = name,
        .m_Number = 0,
        .m_Title = WIZARD_TITLE,
        .m_Width = WIZARD_WIDTH,
        .m_Height = WIZARD_HEIGHT,
        .m_FontName = DIALOG_FONT_NAME,
        .m_FontPoints = DIALOG_FONT_POINTS,
        .m_Style = WIZARD_STYLE,
        .m_Controls = controls,
    };
}

} // namespace dravo
