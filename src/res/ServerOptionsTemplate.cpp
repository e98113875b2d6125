// SERVER_OPTIONS: the controls of NET_OPTIONS without the wizard frame, with OK and Cancel.
#include "res/ServerOptionsTemplate.h"

#include "res/WizardFrame.h"

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;
using Control = OptionsControl;

constexpr int Id(Control control) {
    return static_cast<int>(control);
}

constexpr ControlTemplate CONTROLS[] = {
    {NO_CONTROL_ID, GroupBox, "Toggles", {7, 7, 90, 50}},
    {Id(Control::TractorBeam), CheckBox, "Tractor Beam", {13, 20, 80, 10}},
    {Id(Control::DoubleJump), CheckBox, "Double Jump", {13, 30, 80, 10}},
    {Id(Control::RammingDamage), CheckBox, "Ramming Damage", {13, 40, 80, 10}},
    {NO_CONTROL_ID, GroupBox, "World", {104, 7, 115, 50}},
    {NO_CONTROL_ID, Static, "Time Speed:", {105, 23, 45, 8}, RightAligned},
    {Id(Control::TimeSpeed), Edit, "", {153, 22, 44, 12}, HorizontalScroll},
    {Id(Control::TimeSpeedHelp), PushButton, "?", {201, 22, 14, 12}},
    {Id(Control::NightColorPicker), PushButton, "Night Color:", {109, 36, 42, 12}, RightAligned},
    {Id(Control::NightColor), Edit, "", {153, 36, 44, 12}, HorizontalScroll},
    {Id(Control::NightColorHelp), PushButton, "?", {201, 36, 14, 12}},
    {NO_CONTROL_ID, GroupBox, "Speeds", {7, 64, 90, 50}},
    {NO_CONTROL_ID, Static, "Run:", {9, 80, 32, 8}, RightAligned},
    {Id(Control::RunSpeed), Edit, "", {43, 79, 32, 12}, HorizontalScroll},
    {Id(Control::RunSpeedHelp), PushButton, "?", {79, 79, 14, 12}},
    {NO_CONTROL_ID, Static, "Missile:", {9, 94, 32, 8}, RightAligned},
    {Id(Control::MissileSpeed), Edit, "", {43, 93, 32, 12}, HorizontalScroll},
    {Id(Control::MissileSpeedHelp), PushButton, "?", {79, 93, 14, 12}},
    {NO_CONTROL_ID, GroupBox, "Scales", {104, 64, 115, 50}},
    {NO_CONTROL_ID, Static, "Respawn:", {127, 81, 35, 8}, RightAligned},
    {Id(Control::RespawnScale), Edit, "", {165, 80, 32, 12}, HorizontalScroll},
    {Id(Control::RespawnScaleHelp), PushButton, "?", {201, 80, 14, 12}},
    {NO_CONTROL_ID, Static, "Heal:", {127, 95, 35, 8}, RightAligned},
    {Id(Control::HealScale), Edit, "", {165, 94, 32, 12}, HorizontalScroll},
    {Id(Control::HealScaleHelp), PushButton, "?", {201, 94, 14, 12}},
    {Id(Control::Ok), DefaultPushButton, "&OK", {55, 129, 50, 14}},
    {Id(Control::Cancel), PushButton, "&Cancel", {121, 129, 50, 14}},
};

constexpr DialogTemplate SERVER_OPTIONS = {
    .m_Name = SERVER_OPTIONS_NAME,
    .m_Number = 0,
    .m_Title = "Dravo Server Options",
    .m_Width = 226,
    .m_Height = 150,
    .m_FontName = DIALOG_FONT_NAME,
    .m_FontPoints = DIALOG_FONT_POINTS,
    .m_Style = WIZARD_STYLE,
    .m_Controls = CONTROLS,
};

} // namespace

const DialogTemplate& ServerOptionsTemplate() {
    return SERVER_OPTIONS;
}

} // namespace dravo
