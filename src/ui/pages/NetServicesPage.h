// NetServicesPage: the first setup page. The operator picks the engine's network service and what the
// server broadcasts; Next selects the service in the engine and fills the service part of HostInfo. A
// service the engine refuses (or none selected) is said in a message box, and the page stays open.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "settings/ServerSettings.h"
#include "ui/pages/WizardPage.h"

#include <optional>
#include <string>
#include <string_view>

namespace dravo {

constexpr size_t SERVICE_NAME_MAX_CHARS = 127;

// The name HostInfo shows for a service: "Ipx", "Modem", "Serial Cable" or "Tcp/ip" for the first
// of those words the name contains (in any case), else the name as the engine gave it.
std::string ServiceDisplayName(std::string_view serviceName);
bool IsTcpIpService(std::string_view serviceName);

class NetServicesPage final : public WizardPage {
public:
    // wizardError and tcpIpSelected belong to the wizard; the page sets them.
    NetServicesPage(EngineServer& server, ServerSettings& settings, HostInfo& hostInfo, int& wizardError,
                    bool& tcpIpSelected)
        : m_Server(server), m_Settings(settings), m_HostInfo(hostInfo), m_WizardError(wizardError),
          m_TcpIpSelected(tcpIpSelected) {}

private:
    void OnOpen(DialogApi& dialog) override;
    void OnPageCommand(DialogApi& dialog, int id, Notification code) override;
    bool FillServices(DialogApi& dialog);
    void SelectTcpIpOnFirstRun(DialogApi& dialog);
    void Next(DialogApi& dialog);
    static std::string RefusalText(const std::optional<std::string>& serviceName);

    EngineServer& m_Server;
    ServerSettings& m_Settings;
    HostInfo& m_HostInfo;
    int& m_WizardError;
    bool& m_TcpIpSelected;
};

} // namespace dravo
