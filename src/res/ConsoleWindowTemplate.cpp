// Dialog 129: the console window's layout in dialog units.
#include "res/ConsoleWindowTemplate.h"

namespace dravo {
namespace {

constexpr int Id(ConsoleControl control) {
    return static_cast<int>(control);
}

using enum ControlKind;
using enum ControlFlag;

constexpr ControlFlag LABEL = RightAligned;

constexpr ControlTemplate CONTROLS[] = {
    // Server identity.
    {NO_CONTROL_ID, GroupBox, "Server Info", {7, 7, 190, 50}},
    {NO_CONTROL_ID, Static, "Name:", {12, 23, 50, 8}, LABEL},
    {NO_CONTROL_ID, Static, "Running Time:", {12, 33, 50, 8}, LABEL},
    {NO_CONTROL_ID, Static, "Net Service:", {12, 43, 50, 8}, LABEL},
    {Id(ConsoleControl::ServerName), Static, "", {64, 23, 126, 8}},
    {Id(ConsoleControl::RunningTime), Static, "", {64, 33, 126, 8}},
    {Id(ConsoleControl::NetService), Static, "", {64, 43, 126, 8}},
    // Game state.
    {NO_CONTROL_ID, GroupBox, "Game Info", {7, 63, 190, 70}},
    {NO_CONTROL_ID, Static, "Players:", {12, 79, 50, 8}, LABEL},
    {NO_CONTROL_ID, Static, "Current Level:", {12, 89, 50, 8}, LABEL},
    {NO_CONTROL_ID, Static, "Next Level:", {12, 99, 50, 8}, LABEL},
    {NO_CONTROL_ID, Static, "Time in Level:", {12, 109, 50, 8}, LABEL},
    {NO_CONTROL_ID, Static, "Level Goal:", {12, 119, 50, 8}, LABEL},
    {Id(ConsoleControl::PlayerCount), Static, "", {64, 79, 126, 8}},
    {Id(ConsoleControl::CurrentLevel), Static, "", {64, 89, 126, 8}},
    {Id(ConsoleControl::NextLevelName), Static, "", {64, 99, 126, 8}},
    {Id(ConsoleControl::TimeInLevel), Static, "", {64, 109, 126, 8}},
    {Id(ConsoleControl::LevelGoal), Static, "", {64, 119, 126, 8}},
    // Commands.
    {NO_CONTROL_ID, GroupBox, "Commands", {202, 7, 190, 50}},
    {Id(ConsoleControl::Shutdown), PushButton, "&Shutdown", {213, 27, 50, 16}},
    {Id(ConsoleControl::NextLevelButton), PushButton, "&Next Level", {273, 27, 50, 16}},
    {Id(ConsoleControl::Options), PushButton, "&Options...", {333, 27, 50, 16}},
    // Level rotation.
    {NO_CONTROL_ID, GroupBox, "Levels", {202, 63, 190, 70}},
    {Id(ConsoleControl::LevelList), ListBox, "", {211, 79, 175, 48}, NoSelection | VerticalScroll},
    // Players.
    {NO_CONTROL_ID, GroupBox, "Players", {7, 139, 190, 125}},
    {Id(ConsoleControl::PlayerList), ListBox, "", {16, 151, 173, 90}, TabStops | Notify | VerticalScroll},
    {Id(ConsoleControl::Boot), PushButton, "&Boot", {70, 245, 60, 14}, Disabled},
    // Console log and command input.
    {NO_CONTROL_ID, GroupBox, "Console", {202, 139, 190, 125}},
    {Id(ConsoleControl::ConsoleLog), Edit, "", {210, 151, 176, 90}, MultiLine | ReadOnly | VerticalScroll | AutoScroll},
    {Id(ConsoleControl::CommandInput), Edit, "", {210, 245, 147, 14}, HorizontalScroll},
    {Id(ConsoleControl::Clear), PushButton, "&Clear", {361, 245, 25, 14}},
    {Id(ConsoleControl::Send), DefaultPushButton, "Send", {175, 249, 17, 7}, Hidden},
};

constexpr DialogTemplate CONSOLE_WINDOW = {
    .m_Name = "",
    .m_Number = CONSOLE_WINDOW_TEMPLATE_NUMBER,
    .m_Title = "Dravo Server",
    .m_Width = 399,
    .m_Height = 271,
    .m_FontName = "MS Sans Serif",
    .m_FontPoints = 8,
    .m_Style = DialogStyle::Popup | DialogStyle::Caption | DialogStyle::SystemMenu | DialogStyle::MinimizeBox |
               DialogStyle::ModalFrame,
    .m_Controls = CONTROLS,
};

} // namespace

const DialogTemplate& ConsoleWindowTemplate() {
    return CONSOLE_WINDOW;
}

} // namespace dravo
