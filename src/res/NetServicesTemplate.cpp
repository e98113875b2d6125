// NET_SERVICES in the common wizard frame; "< &Back" is disabled on this first page.
#include "res/NetServicesTemplate.h"

#include "res/WizardFrame.h"

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;

constexpr int Id(NetServicesControl control) {
    return static_cast<int>(control);
}

constexpr std::array<ControlTemplate, 5> PAGE = {{
    {Id(NetServicesControl::ServiceList), ListBox, "", {50, 25, 213, 40}, Sorted | Notify | VerticalScroll | Border},
    {NO_CONTROL_ID, Static, "What information would you like to broadcast?", {50, 80, 213, 8}},
    {Id(NetServicesControl::UseGameSpy), CheckBox, "Communicate with GameSpy (tcp/ip only)", {60, 92, 150, 10}},
    {Id(NetServicesControl::UpdateInfo), CheckBox, "Update game info for new joiners", {60, 104, 150, 10}},
    {Id(NetServicesControl::ServerReg),
     CheckBox,
     "Register server with Dravo web site (tcp/ip only)",
     {60, 116, 203, 10}},
}};

constexpr auto CONTROLS = WithWizardFrame(
    {.m_Heading = "Which networking service you would like to use?", .m_NextText = NEXT_TEXT, .m_BackDisabled = true},
    PAGE);

constexpr DialogTemplate NET_SERVICES = WizardPageTemplate(NET_SERVICES_NAME, CONTROLS);

} // namespace

const DialogTemplate& NetServicesTemplate() {
    return NET_SERVICES;
}

} // namespace dravo
