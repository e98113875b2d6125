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
    {NO_CONTROL_ID, GroupBox, "Toggles", {7, 7, 84, 50}},
    {Id(Control::TractorBeam), CheckBox, "Tractor Beam", {14, 20, 70, 10}},
    {Id(Control::DoubleJump), CheckBox, "Double Jump", {14, 30, 70, 10}},
    {Id(Control::RammingDamage), CheckBox, "Ramming Damage", {14, 40, 70, 10}},
    {NO_CONTROL_ID, GroupBox, "World", {95, 7, 125, 50}},
    {NO_CONTROL_ID, Static, "Time Speed:", {98, 23, 43, 8}, RightAligned},
    {Id(Control::TimeSpeed), Edit, "", {143, 22, 59, 12}, HorizontalScroll},
    {Id(Control::TimeSpeedHelp), PushButton, "?", {205, 22, 12, 12}},
    {Id(Control::NightColorPicker), PushButton, "Night Color:", {98, 36, 43, 12}, RightAligned},
    {Id(Control::NightColor), Edit, "", {143, 36, 59, 12}, HorizontalScroll},
    {Id(Control::NightColorHelp), PushButton, "?", {205, 36, 12, 12}},
    {NO_CONTROL_ID, GroupBox, "Speeds", {7, 64, 84, 50}},
    {NO_CONTROL_ID, Static, "Run:", {9, 80, 24, 8}, RightAligned},
    {Id(Control::RunSpeed), Edit, "", {35, 79, 40, 12}, HorizontalScroll},
    {Id(Control::RunSpeedHelp), PushButton, "?", {77, 79, 12, 12}},
    {NO_CONTROL_ID, Static, "Missile:", {9, 94, 24, 8}, RightAligned},
    {Id(Control::MissileSpeed), Edit, "", {35, 93, 40, 12}, HorizontalScroll},
    {Id(Control::MissileSpeedHelp), PushButton, "?", {77, 93, 12, 12}},
    {NO_CONTROL_ID, GroupBox, "Scales", {95, 64, 125, 50}},
    {NO_CONTROL_ID, Static, "Respawn:", {98, 81, 43, 8}, RightAligned},
    {Id(Control::RespawnScale), Edit, "", {143, 80, 59, 12}, HorizontalScroll},
    {Id(Control::RespawnScaleHelp), PushButton, "?", {205, 80, 12, 12}},
    {NO_CONTROL_ID, Static, "Heal:", {98, 95, 43, 8}, RightAligned},
    {Id(Control::HealScale), Edit, "", {143, 94, 59, 12}, HorizontalScroll},
    {Id(Control::HealScaleHelp), PushButton, "?", {205, 94, 12, 12}},
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
