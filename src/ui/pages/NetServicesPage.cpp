// The network service page: the engine's services in a sorted list, the broadcast switches.
#include "ui/pages/NetServicesPage.h"

#include "platform/os/Text.h"
#include "res/NetServicesTemplate.h"
#include "res/StringTable.h"
#include "res/WizardFrame.h"

#include <cstdint>

namespace dravo {
namespace {

using Control = NetServicesControl;

struct DisplayName {
    std::string_view Word;
    std::string_view m_Name;
};

// The first word found wins, so "Modem over tcp" is a modem.
constexpr DisplayName DISPLAY_NAMES[] = {
    {"ipx", "Ipx"}, {"modem", "Modem"}, {"serial", "Serial Cable"}, {"tcp", "Tcp/ip"}};

const DisplayName* FindDisplayName(std::string_view serviceName) {
    const std::string lower = ToLower(serviceName);
    for (const DisplayName& entry : DISPLAY_NAMES) {
        if (lower.find(entry.Word) != std::string::npos) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

// The refusal names the service the engine would not use and points to TCP/IP, which hosts internet games.
std::string NetServicesPage::RefusalText(const std::optional<std::string>& serviceName) {
    std::string text(StringTable::Find(STR_UNABLE_TO_USE_SERVICE).value_or(""));
    if (!serviceName) {
        return text + "\n\nChoose a service in the list, TCP/IP to host an internet game.";
    }
    text += "\n\nThe game cannot use \"" + *serviceName + "\" here.";
    if (!IsTcpIpService(*serviceName)) {
        text += " Choose TCP/IP to host an internet game.";
    }
    return text;
}

std::string ServiceDisplayName(std::string_view serviceName) {
    const DisplayName* found = FindDisplayName(serviceName);
    return std::string(found != nullptr ? found->m_Name : serviceName);
}

bool IsTcpIpService(std::string_view serviceName) {
    const DisplayName* found = FindDisplayName(serviceName);
    return found != nullptr && found->Word == "tcp";
}

void NetServicesPage::OnOpen(DialogApi& dialog) {
    m_TcpIpSelected = false;
    if (!FillServices(dialog)) {
        m_WizardError = STR_UNABLE_TO_ACCESS_SERVICES;
        dialog.EndDialog(PAGE_ERROR);
        return;
    }
    dialog.CheckItem(Control::UseGameSpy, m_Settings.m_UseGameSpy != 0);
    dialog.CheckItem(Control::UpdateInfo, m_Settings.m_UpdateInfo != 0);
    dialog.CheckItem(Control::ServerReg, m_Settings.m_ServerReg != 0);
}

bool NetServicesPage::FillServices(DialogApi& dialog) {
    ServiceRecord* services = nullptr;
    if (m_Server.ListServices(&services) != ENGINE_TRUE || services == nullptr) {
        return false;
    }
    dialog.ListClear(Control::ServiceList);
    for (const ServiceRecord* entry = services; entry != nullptr; entry = entry->m_Next) {
        const int index = dialog.ListAdd(Control::ServiceList, BoundedText(entry->m_Name, sizeof entry->m_Name));
        if (index != LIST_ERROR) {
            (void)dialog.ListSetData(Control::ServiceList, index, entry->m_Id);
        }
    }
    // The stored position counts in the sorted list; a position outside it falls back to the first.
    if (m_Settings.m_NetService < 0 || !dialog.ListSetSelection(Control::ServiceList, m_Settings.m_NetService)) {
        dialog.ListSetSelection(Control::ServiceList, 0);
    }
    if (m_Settings.m_ServiceName[0] == '\0') {
        SelectTcpIpOnFirstRun(dialog);
    }
    m_Server.ReleaseServices(services);
    return true;
}

// Nothing chosen yet: a first run starts on the TCP/IP service, the one that hosts internet games,
// wherever the engine's names sort it.
void NetServicesPage::SelectTcpIpOnFirstRun(DialogApi& dialog) {
    const auto selected = dialog.ListText(Control::ServiceList, dialog.ListSelection(Control::ServiceList));
    if (selected && IsTcpIpService(*selected)) {
        return;
    }
    for (int index = 0; index < dialog.ListCount(Control::ServiceList); ++index) {
        const auto name = dialog.ListText(Control::ServiceList, index);
        if (name && IsTcpIpService(*name)) {
            (void)dialog.ListSetSelection(Control::ServiceList, index);
            return;
        }
    }
}

void NetServicesPage::OnPageCommand(DialogApi& dialog, int id, Notification /*code*/) {
    if (id == static_cast<int>(WizardControl::Next)) {
        Next(dialog);
    }
}

void NetServicesPage::Next(DialogApi& dialog) {
    const int selected = dialog.ListSelection(Control::ServiceList);
    const auto serviceId = dialog.ListData(Control::ServiceList, selected);
    if (selected == NO_SELECTION || !serviceId || *serviceId <= 0 || *serviceId > UINT32_MAX ||
        m_Server.UseService(static_cast<uint32_t>(*serviceId)) != ENGINE_TRUE) {
        // The operator stays on the page to choose another service; nothing entered is lost.
        (void)dialog.ShowMessageBox(
            RefusalText(dialog.ListText(Control::ServiceList, selected, SERVICE_NAME_MAX_CHARS)), PAGE_MESSAGE_CAPTION,
            MessageBoxButtons::Ok, MessageBoxIcon::Exclamation);
        (void)dialog.SetFocus(Control::ServiceList);
        return;
    }
    m_Settings.m_NetService = selected;
    if (const auto name = dialog.ListText(Control::ServiceList, selected, SERVICE_NAME_MAX_CHARS)) {
        CopyCut(m_Settings.m_ServiceName, *name);
        CopyCut(m_HostInfo.m_ServiceName, ServiceDisplayName(*name));
        if (IsTcpIpService(*name)) {
            m_TcpIpSelected = true;
        }
    } else {
        m_HostInfo.m_ServiceName[0] = '\0';
    }
    m_Settings.m_UpdateInfo = dialog.IsChecked(Control::UpdateInfo) ? 1 : 0;
    m_Settings.m_ServerReg = dialog.IsChecked(Control::ServerReg) ? 1 : 0;
    m_Settings.m_UseGameSpy = dialog.IsChecked(Control::UseGameSpy) ? 1 : 0;
    m_HostInfo.m_UpdateInfo = m_Settings.m_UpdateInfo;
    m_HostInfo.m_WebRegistration = m_Settings.m_ServerReg;
    m_HostInfo.m_GameSpy = m_Settings.m_UseGameSpy;
    dialog.EndDialog(PAGE_NEXT);
}

} // namespace dravo
