// The info, rules and players answers.
#include "net/query/ServerStatusReporter.h"
#include "platform/os/Text.h"

#include <charconv>
#include <cstring>

namespace dravo {
namespace {

constexpr const char* ON = "on";
constexpr const char* OFF = "off";
constexpr size_t SHORT_LEVEL_NAME = 2;

const char* OnOff(int32_t flag) {
    return flag != 0 ? ON : OFF;
}

// "<prefix><index>" in a small fixed buffer.
class IndexedKey {
public:
    IndexedKey(std::string_view prefix, int index) {
        std::memcpy(m_Text, prefix.data(), prefix.size());
        const auto result = std::to_chars(m_Text + prefix.size(), m_Text + sizeof m_Text, index);
        m_Length = static_cast<size_t>(result.ptr - m_Text);
    }
    std::string_view View() const { return {m_Text, m_Length}; }

private:
    char m_Text[32];
    size_t m_Length = 0;
};

} // namespace

std::string_view ServerStatusReporter::MapName(std::string_view level) {
    if (level.size() <= SHORT_LEVEL_NAME) {
        return level;
    }
    const size_t slash = level.rfind('\\');
    if (slash == std::string_view::npos || slash + 1 == level.size()) {
        return level;
    }
    return level.substr(slash + 1);
}

void ServerStatusReporter::SetLabels(std::string_view gameType, std::string_view gameMode) {
    if (gameType != m_GameType || gameMode != m_GameMode) {
        m_GameType = gameType;
        m_GameMode = gameMode;
        ++m_LabelsRevision;
    }
}

bool ServerStatusReporter::InfoIsCurrent() const {
    const HostInfo& host = m_Sources.m_Host;
    return m_InfoBuilt && m_InfoKey.m_Revision == m_Sources.m_Status.Revision() &&
           m_InfoKey.m_Labels == m_LabelsRevision && m_InfoKey.m_HostPort == AdvertisedHostPort() &&
           m_InfoKey.m_MaxPlayers == host.m_MaxPlayers &&
           std::memcmp(m_InfoKey.m_ServerName, host.m_ServerName, sizeof host.m_ServerName) == 0;
}

// \hostname\<name>\hostport\<game port>\mapname\<map>\gametype\<label>\numplayers\<n>\maxplayers\<n>\gamemode\<label>
const AnswerPairs& ServerStatusReporter::ReportInfo() {
    if (InfoIsCurrent()) {
        return m_Info;
    }
    const HostInfo& host = m_Sources.m_Host;
    const IGameStatus& status = m_Sources.m_Status;
    m_InfoKey.m_Revision = status.Revision();
    m_InfoKey.m_Labels = m_LabelsRevision;
    m_InfoKey.m_HostPort = AdvertisedHostPort();
    m_InfoKey.m_MaxPlayers = host.m_MaxPlayers;
    std::memcpy(m_InfoKey.m_ServerName, host.m_ServerName, sizeof host.m_ServerName);
    m_InfoBuilt = true;
    ++m_InfoGeneration;
    m_Info.Clear();
    m_Info.Add("hostname", BoundedText(host.m_ServerName, sizeof host.m_ServerName));
    m_Info.AddInt("hostport", m_InfoKey.m_HostPort);
    m_Info.Add("mapname", MapName(status.CurrentLevel()));
    m_Info.Add("gametype", m_GameType);
    m_Info.AddInt("numplayers", status.PlayerCount());
    m_Info.AddInt("maxplayers", host.m_MaxPlayers);
    m_Info.Add("gamemode", m_GameMode);
    return m_Info;
}

ServerStatusReporter::RulesKey ServerStatusReporter::CurrentRules() const {
    const GameInfo& game = m_Sources.m_Game;
    const GameOptions& options = m_Sources.m_Options;
    return RulesKey{game.m_EndType,        game.m_EndTime,       game.m_EndFrags,
                    options.m_TractorBeam, options.m_DoubleJump, options.m_RammingDamage};
}

// \timelimit\<minutes>\fraglimit\<frags>\tractorbeam\on|off\doublejump\on|off\ramming\on|off
// A limit that the end rule does not use reads 0.
const AnswerPairs& ServerStatusReporter::ReportRules() {
    const RulesKey rules = CurrentRules();
    if (m_RulesBuilt && rules == m_RulesKey) {
        return m_Rules;
    }
    m_RulesKey = rules;
    m_RulesBuilt = true;
    ++m_RulesGeneration;
    const bool timed = rules.m_EndType == END_AFTER_TIME || rules.m_EndType == END_AFTER_FRAGS_OR_TIME;
    const bool fragged = rules.m_EndType == END_AFTER_FRAGS || rules.m_EndType == END_AFTER_FRAGS_OR_TIME;
    m_Rules.Clear();
    m_Rules.AddInt("timelimit", timed ? rules.m_EndTime : 0);
    m_Rules.AddInt(FRAG_LIMIT_KEY, fragged ? rules.m_EndFrags : 0);
    m_Rules.Add("tractorbeam", OnOff(rules.m_TractorBeam));
    m_Rules.Add("doublejump", OnOff(rules.m_DoubleJump));
    m_Rules.Add("ramming", OnOff(rules.m_RammingDamage));
    return m_Rules;
}

// \player_<i>\<name>\frags_<i>\<frags>\ping_<i>\<ms> for each player in table order, i from 0.
const AnswerPairs& ServerStatusReporter::ReportPlayers() {
    const IGameStatus& status = m_Sources.m_Status;
    if (m_PlayersBuilt && m_PlayersRevision == status.Revision()) {
        return m_Players;
    }
    m_PlayersRevision = status.Revision();
    m_PlayersBuilt = true;
    m_Players.Clear();
    const int32_t count = status.PlayerCount();
    for (int32_t index = 0; index < count; ++index) {
        const PlayerStatus player = status.Player(index);
        m_Players.Add(IndexedKey("player_", index).View(), player.m_Name);
        m_Players.AddInt(IndexedKey("frags_", index).View(), player.m_Frags);
        m_Players.AddInt(IndexedKey("ping_", index).View(), player.m_Ping);
    }
    return m_Players;
}

} // namespace dravo
