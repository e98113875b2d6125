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
    {NO_CONTROL_ID, GroupBox, "Toggles", {50, 25, 90, 50}},
    {Id(Control::TractorBeam), CheckBox, "Tractor Beam", {57, 38, 80, 10}},
    {Id(Control::DoubleJump), CheckBox, "Double Jump", {57, 48, 80, 10}},
    {Id(Control::RammingDamage), CheckBox, "Ramming Damage", {57, 58, 80, 10}},
    {NO_CONTROL_ID, GroupBox, "World", {148, 25, 115, 50}},
    {NO_CONTROL_ID, Static, "Time Speed:", {151, 41, 43, 8}, RightAligned},
    {Id(Control::TimeSpeed), Edit, "", {197, 40, 44, 12}, HorizontalScroll},
    {Id(Control::TimeSpeedHelp), PushButton, "?", {245, 40, 14, 12}},
    {Id(Control::NightColorPicker), PushButton, "Night Color:", {153, 54, 42, 12}, RightAligned},
    {Id(Control::NightColor), Edit, "", {197, 54, 44, 12}, HorizontalScroll},
    {Id(Control::NightColorHelp), PushButton, "?", {245, 54, 14, 12}},
    {NO_CONTROL_ID, GroupBox, "Speeds", {51, 82, 90, 50}},
    {NO_CONTROL_ID, Static, "Run:", {53, 98, 32, 8}, RightAligned},
    {Id(Control::RunSpeed), Edit, "", {87, 97, 32, 12}, HorizontalScroll},
    {Id(Control::RunSpeedHelp), PushButton, "?", {123, 97, 14, 12}},
    {NO_CONTROL_ID, Static, "Missile:", {53, 112, 32, 8}, RightAligned},
    {Id(Control::MissileSpeed), Edit, "", {87, 111, 32, 12}, HorizontalScroll},
    {Id(Control::MissileSpeedHelp), PushButton, "?", {123, 111, 14, 12}},
    {NO_CONTROL_ID, GroupBox, "Scales", {148, 82, 115, 50}},
    {NO_CONTROL_ID, Static, "Respawn:", {171, 99, 35, 8}, RightAligned},
    {Id(Control::RespawnScale), Edit, "", {209, 98, 32, 12}, HorizontalScroll},
    {Id(Control::RespawnScaleHelp), PushButton, "?", {245, 98, 14, 12}},
    {NO_CONTROL_ID, Static, "Heal:", {171, 113, 35, 8}, RightAligned},
    {Id(Control::HealScale), Edit, "", {209, 112, 32, 12}, HorizontalScroll},
    {Id(Control::HealScaleHelp), PushButton, "?", {245, 112, 14, 12}},
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
