// NetGamePage: the game settings page - server name, how each level ends, player limit and, for a
// TCP/IP service, the port. Next writes them into HostInfo, GameInfo and the settings.
#pragma once

#include "engine/HostingRecords.h"
#include "settings/ServerSettings.h"
#include "settings/SettingRules.h"
#include "ui/pages/WizardPage.h"

#include <cstdint>
#include <string_view>

namespace dravo {

inline constexpr std::string_view DEFAULT_SERVER_NAME = "Dravo Server";
constexpr uint32_t MIN_PLAYERS_WHEN_EMPTY = 2; // what a player limit of 0 becomes
inline constexpr std::string_view PLAYERS_RANGE_TEXT =
    "The player limit must be a number from 1 to 128; the field now shows what Next takes: 2 for 0 or none, 128 for "
    "more.";

// A number typed into a digits-only edit: leading blanks, then digits. 0 when there are none or the
// number does not fit 32 bits.
uint32_t ReadUnsigned(std::string_view text);

class NetGamePage final : public WizardPage {
public:
    NetGamePage(ServerSettings& settings, HostInfo& hostInfo, GameInfo& gameInfo, const bool& tcpIpSelected)
        : m_Settings(settings), m_HostInfo(hostInfo), m_GameInfo(gameInfo), m_TcpIpSelected(tcpIpSelected) {}

private:
    void OnOpen(DialogApi& dialog) override;
    void OnPageCommand(DialogApi& dialog, int id, Notification code) override;
    // False, with the field to fix focused, when Next must stay on the page.
    bool FieldsAccepted(DialogApi& dialog) const;
    void Next(DialogApi& dialog);

    ServerSettings& m_Settings;
    HostInfo& m_HostInfo;
    GameInfo& m_GameInfo;
    const bool& m_TcpIpSelected;
};

} // namespace dravo
