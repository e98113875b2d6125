// NET_GAMELEVELS in the common wizard frame; its default button reads "&Finish".
#include "res/NetGameLevelsTemplate.h"

#include "res/WizardFrame.h"

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;

constexpr int Id(NetGameLevelsControl control) {
    return static_cast<int>(control);
}

constexpr ControlFlag LIST = Notify | VerticalScroll | Border;

constexpr std::array<ControlTemplate, 11> PAGE = {{
    {NO_CONTROL_ID, Static, "Retail Levels:", {50, 25, 80, 8}},
    {Id(NetGameLevelsControl::RetailLevels), ListBox, "", {50, 35, 80, 40}, Sorted | LIST},
    {NO_CONTROL_ID, Static, "Custom Levels:", {50, 82, 80, 8}},
    {Id(NetGameLevelsControl::CustomLevels), ListBox, "", {50, 92, 80, 40}, Sorted | LIST},
    {Id(NetGameLevelsControl::AddRetail), PushButton, "Add >", {135, 49, 42, 14}},
    {Id(NetGameLevelsControl::Remove), PushButton, "< Remove", {135, 77, 42, 14}},
    {Id(NetGameLevelsControl::AddCustom), PushButton, "Add >", {135, 105, 42, 14}},
    {NO_CONTROL_ID, Static, "Game Levels:", {183, 25, 80, 8}},
    {Id(NetGameLevelsControl::GameLevels), ListBox, "", {183, 35, 80, 85}, LIST},
    {Id(NetGameLevelsControl::SaveLevels), CheckBox, "Save levels", {183, 124, 80, 10}},
    {Id(NetGameLevelsControl::FinishHint), Static, "", {50, 134, 213, 8}},
}};

constexpr auto CONTROLS = WithWizardFrame(
    {.m_Heading = "Which levels would you like to play?", .m_NextText = FINISH_TEXT, .m_BackDisabled = false}, PAGE);

constexpr DialogTemplate NET_GAMELEVELS = WizardPageTemplate(NET_GAMELEVELS_NAME, CONTROLS);

} // namespace

const DialogTemplate& NetGameLevelsTemplate() {
    return NET_GAMELEVELS;
}

} // namespace dravo
