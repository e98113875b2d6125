// The game settings page.
#include "ui/pages/NetGamePage.h"

#include "platform/os/Text.h"
#include "res/NetGameTemplate.h"
#include "res/WizardFrame.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>

namespace dravo {
namespace {

using Control = NetGameControl;

// Numbers show as unsigned decimals, as the digits-only edits take them.
std::string UnsignedText(int32_t value) {
    return std::to_string(static_cast<uint32_t>(value));
}

uint32_t ReadNumber(const DialogApi& dialog, Control id) {
    return ReadUnsigned(dialog.GetItemText(id));
}

// The number typed, read as ReadUnsigned does, but limit + 1 for anything larger, however long.
uint32_t ReadAtMost(std::string_view text, uint32_t limit) {
    size_t at = text.find_first_not_of(" \t\r\n\f\v");
    uint64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(text[at] - '0'), uint64_t{limit} + 1);
    }
    return static_cast<uint32_t>(value);
}

} // namespace

uint32_t ReadUnsigned(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    uint64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + static_cast<uint64_t>(text[at] - '0');
        if (value > std::numeric_limits<uint32_t>::max()) {
            return 0;
        }
    }
    return static_cast<uint32_t>(value);
}

void NetGamePage::OnOpen(DialogApi& dialog) {
    dialog.SetItemText(Control::ServerName, BoundedText(m_Settings.m_ServerName, sizeof m_Settings.m_ServerName));
    dialog.SetItemText(Control::Port, UnsignedText(m_Settings.m_Port));
    dialog.SetItemText(Control::MaxPlayers, UnsignedText(m_Settings.m_MaxPlayers));
    dialog.SetItemText(Control::Frags, UnsignedText(m_Settings.m_EndFrags));
    dialog.SetItemText(Control::Minutes, UnsignedText(m_Settings.m_EndTime));
    const int32_t endType = m_Settings.m_EndType;
    dialog.CheckItem(Control::EndAfterFrags, endType == END_AFTER_FRAGS || endType == END_AFTER_FRAGS_OR_TIME);
    dialog.CheckItem(Control::EndAfterTime, endType == END_AFTER_TIME || endType == END_AFTER_FRAGS_OR_TIME);
    if (!m_TcpIpSelected) {
        dialog.ShowItem(Control::PortQuestion, false);
        dialog.ShowItem(Control::Port, false);
    }
}

void NetGamePage::OnPageCommand(DialogApi& dialog, int id, Notification /*code*/) {
    if (id == static_cast<int>(WizardControl::Next)) {
        Next(dialog);
    }
}

bool NetGamePage::FieldsAccepted(DialogApi& dialog) const {
    PageProblems problems;
    // The port counts only where the operator sees it; hidden, it keeps the stored value as it is.
    if (m_TcpIpSelected && ReadAtMost(dialog.GetItemText(Control::Port), MAX_PORT) > MAX_PORT) {
        problems.Add(Control::Port, std::string(PORT_RANGE_TEXT));
    }
    // A limit out of range is shown as it will be taken, and the next Next takes it.
    const uint32_t typed = ReadAtMost(dialog.GetItemText(Control::MaxPlayers), MAX_PLAYER_LIMIT);
    if (typed == 0 || typed > MAX_PLAYER_LIMIT) {
        (void)dialog.SetItemText(Control::MaxPlayers,
                                 std::to_string(typed == 0 ? MIN_PLAYERS_WHEN_EMPTY : MAX_PLAYER_LIMIT));
        problems.Add(Control::MaxPlayers, std::string(PLAYERS_RANGE_TEXT));
    }
    if (dialog.GetItemText(Control::ServerName, SERVER_NAME_MAX_CHARS).empty()) {
        problems.Add(Control::ServerName, std::string(SERVER_NAME_TEXT));
    }
    return !problems.Shown(dialog, WIZARD_TITLE);
}

void NetGamePage::Next(DialogApi& dialog) {
    if (!FieldsAccepted(dialog)) {
        return;
    }
    std::string name = dialog.GetItemText(Control::ServerName, SERVER_NAME_MAX_CHARS);
    if (name.empty()) {
        name = DEFAULT_SERVER_NAME;
    }
    CopyCut(m_HostInfo.m_ServerName, name);
    CopyCut(m_Settings.m_ServerName, name);
    m_GameInfo.m_GameType = 1;

    uint32_t players = ReadNumber(dialog, Control::MaxPlayers);
    if (players == 0) {
        players = MIN_PLAYERS_WHEN_EMPTY;
    } else if (players > MAX_PLAYER_LIMIT) {
        players = MAX_PLAYER_LIMIT;
    }
    m_Settings.m_MaxPlayers = static_cast<int32_t>(players);
    m_HostInfo.m_MaxPlayers = m_Settings.m_MaxPlayers;

    // Read also while hidden: it then still shows the stored port, which stays.
    m_Settings.m_Port = static_cast<int32_t>(ReadNumber(dialog, Control::Port));

    uint8_t endType = END_NEVER;
    if (dialog.IsChecked(Control::EndAfterFrags)) {
        endType = END_AFTER_FRAGS;
    }
    if (dialog.IsChecked(Control::EndAfterTime)) {
        endType = endType == END_AFTER_FRAGS ? END_AFTER_FRAGS_OR_TIME : END_AFTER_TIME;
    }
    m_GameInfo.m_EndType = endType;
    m_Settings.m_EndType = endType;

    m_Settings.m_EndFrags = static_cast<int32_t>(ReadNumber(dialog, Control::Frags));
    m_Settings.m_EndTime = static_cast<int32_t>(ReadNumber(dialog, Control::Minutes));
    m_GameInfo.m_EndFrags = m_Settings.m_EndFrags;
    m_GameInfo.m_EndTime = m_Settings.m_EndTime;
    dialog.EndDialog(PAGE_NEXT);
}

} // namespace dravo
