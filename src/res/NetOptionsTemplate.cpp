// NET_OPTIONS in the common wizard frame.
#include "res/NetOptionsTemplate.h"

#include "res/WizardFrame.h"

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;
using Control = OptionsControl;

constexpr int Id(Control control) {
    return static_cast<int>(control);
}

constexpr std::array<ControlTemplate, 25> PAGE = {{
    {NO_CONTROL_ID, GroupBox, "Toggles", {50, 25, 84, 50}},
    {Id(Control::TractorBeam), CheckBox, "Tractor Beam", {57, 38, 70, 10}},
    {Id(Control::DoubleJump), CheckBox, "Double Jump", {57, 48, 70, 10}},
    {Id(Control::RammingDamage), CheckBox, "Ramming Damage", {57, 58, 70, 10}},
    {NO_CONTROL_ID, GroupBox, "World", {138, 25, 125, 50}},
    {NO_CONTROL_ID, Static, "Time Speed:", {141, 41, 43, 8}, RightAligned},
    {Id(Control::TimeSpeed), Edit, "", {186, 40, 59, 12}, HorizontalScroll},
    {Id(Control::TimeSpeedHelp), PushButton, "?", {248, 40, 12, 12}},
    {Id(Control::NightColorPicker), PushButton, "Night Color:", {141, 54, 43, 12}, RightAligned},
    {Id(Control::NightColor), Edit, "", {186, 54, 59, 12}, HorizontalScroll},
    {Id(Control::NightColorHelp), PushButton, "?", {248, 54, 12, 12}},
    {NO_CONTROL_ID, GroupBox, "Speeds", {50, 82, 84, 50}},
    {NO_CONTROL_ID, Static, "Run:", {52, 98, 24, 8}, RightAligned},
    {Id(Control::RunSpeed), Edit, "", {78, 97, 40, 12}, HorizontalScroll},
    {Id(Control::RunSpeedHelp), PushButton, "?", {120, 97, 12, 12}},
    {NO_CONTROL_ID, Static, "Missile:", {52, 112, 24, 8}, RightAligned},
    {Id(Control::MissileSpeed), Edit, "", {78, 111, 40, 12}, HorizontalScroll},
    {Id(Control::MissileSpeedHelp), PushButton, "?", {120, 111, 12, 12}},
    {NO_CONTROL_ID, GroupBox, "Scales", {138, 82, 125, 50}},
    {NO_CONTROL_ID, Static, "Respawn:", {141, 99, 43, 8}, RightAligned},
    {Id(Control::RespawnScale), Edit, "", {186, 98, 59, 12}, HorizontalScroll},
    {Id(Control::RespawnScaleHelp), PushButton, "?", {248, 98, 12, 12}},
    {NO_CONTROL_ID, Static, "Heal:", {141, 113, 43, 8}, RightAligned},
    {Id(Control::HealScale), Edit, "", {186, 112, 59, 12}, HorizontalScroll},
    {Id(Control::HealScaleHelp), PushButton, "?", {248, 112, 12, 12}},
}};

constexpr auto CONTROLS = WithWizardFrame({.m_Heading = "What options would you like for this game server?",
                                           .m_NextText = NEXT_TEXT,
                                           .m_BackDisabled = false},
                                          PAGE);

constexpr DialogTemplate NET_OPTIONS = WizardPageTemplate(NET_OPTIONS_NAME, CONTROLS);

} // namespace

const DialogTemplate& NetOptionsTemplate() {
    return NET_OPTIONS;
}

} // namespace dravo
