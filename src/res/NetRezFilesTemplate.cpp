// NET_REZFILES in the common wizard frame.
#include "res/NetRezFilesTemplate.h"

#include "res/WizardFrame.h"

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;

constexpr int Id(NetRezFilesControl control) {
    return static_cast<int>(control);
}

constexpr ControlFlag LIST = Notify | VerticalScroll | Border;

constexpr std::array<ControlTemplate, 6> PAGE = {{
    {NO_CONTROL_ID, Static, "Available Rez Files:", {50, 25, 80, 8}},
    {Id(NetRezFilesControl::Available), ListBox, "", {50, 35, 80, 97}, Sorted | LIST},
    {Id(NetRezFilesControl::Add), PushButton, "Add >", {135, 60, 42, 14}},
    {Id(NetRezFilesControl::Remove), PushButton, "< Remove", {135, 80, 42, 14}},
    {NO_CONTROL_ID, Static, "Rez Files to Load:", {183, 25, 80, 8}},
    {Id(NetRezFilesControl::ToLoad), ListBox, "", {183, 35, 80, 95}, LIST},
}};

constexpr auto CONTROLS = WithWizardFrame({.m_Heading = "Which additional rez files would you like to load?",
                                           .m_NextText = NEXT_TEXT,
                                           .m_BackDisabled = false},
                                          PAGE);

constexpr DialogTemplate NET_REZFILES = WizardPageTemplate(NET_REZFILES_NAME, CONTROLS);

} // namespace

const DialogTemplate& NetRezFilesTemplate() {
    return NET_REZFILES;
}

} // namespace dravo
