// NET_GAME in the common wizard frame.
#include "res/NetGameTemplate.h"

#include "res/WizardFrame.h"

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;

constexpr int Id(NetGameControl control) {
    return static_cast<int>(control);
}

constexpr std::array<ControlTemplate, 13> PAGE = {{
    {NO_CONTROL_ID, GroupBox, "Server Name", {50, 23, 213, 30}},
    {Id(NetGameControl::ServerName), Edit, "", {60, 35, 192, 12}, HorizontalScroll},
    {NO_CONTROL_ID, Static, "How would you like each level to end?", {50, 60, 213, 8}},
    {Id(NetGameControl::EndAfterFrags), CheckBox, "After", {70, 75, 30, 10}},
    {Id(NetGameControl::Frags), Edit, "", {101, 74, 25, 12}, DigitsOnly | HorizontalScroll},
    {NO_CONTROL_ID, Static, "frags", {132, 75, 50, 8}},
    {Id(NetGameControl::EndAfterTime), CheckBox, "After", {70, 89, 30, 10}},
    {Id(NetGameControl::Minutes), Edit, "", {101, 88, 25, 12}, DigitsOnly | HorizontalScroll},
    {NO_CONTROL_ID, Static, "minutes", {132, 89, 50, 8}},
    {NO_CONTROL_ID, Static, "How many players would you like to allow?", {51, 109, 140, 8}},
    {Id(NetGameControl::MaxPlayers), Edit, "", {194, 107, 30, 12}, DigitsOnly | HorizontalScroll},
    {Id(NetGameControl::PortQuestion), Static, "Which tcp/ip port would you like to use?", {51, 123, 140, 8}},
    {Id(NetGameControl::Port), Edit, "", {194, 121, 30, 12}, DigitsOnly | HorizontalScroll},
}};

constexpr auto CONTROLS = WithWizardFrame({.m_Heading = "What settings would you like for this game server?",
                                           .m_NextText = NEXT_TEXT,
                                           .m_BackDisabled = false},
                                          PAGE);

constexpr DialogTemplate NET_GAME = WizardPageTemplate(NET_GAME_NAME, CONTROLS);

} // namespace

const DialogTemplate& NetGameTemplate() {
    return NET_GAME;
}

} // namespace dravo
