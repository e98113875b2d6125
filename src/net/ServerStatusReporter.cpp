// The info, rules and players answers.
#include "net/ServerStatusReporter.h"
#include "platform/Text.h"

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

// \hostname\<name>\hostport\<game port>\mapname\<map>\gametype\<label>\numplayers\<n>\maxplayers\<n>\gamemode\<label>
bool ServerStatusReporter::ReportInfo() {
    const HostInfo& host = m_Sources.m_Host;
    AddKeyValue("hostname", BoundedText(host.m_ServerName, sizeof host.m_ServerName));
    AddKeyInt("hostport", HostPort());
    AddKeyValue("mapname", MapName(m_Sources.m_Status.CurrentLevel()));
    AddKeyValue("gametype", m_Sources.m_Tuning.m_SpyGameType);
    AddKeyInt("numplayers", m_Sources.m_Status.PlayerCount());
    AddKeyInt("maxplayers", host.m_MaxPlayers);
    AddKeyValue("gamemode", m_Sources.m_Tuning.m_SpyGameMode);
    return true;
}

// \timelimit\<minutes>\fraglimit\<frags>\tractorbeam\on|off\doublejump\on|off\ramming\on|off
// A limit that the end rule does not use reads 0.
bool ServerStatusReporter::ReportRules() {
    const GameInfo& game = m_Sources.m_Game;
    const bool timed = game.m_EndType == END_AFTER_TIME || game.m_EndType == END_AFTER_FRAGS_OR_TIME;
    const bool fragged = game.m_EndType == END_AFTER_FRAGS || game.m_EndType == END_AFTER_FRAGS_OR_TIME;
    AddKeyInt("timelimit", timed ? game.m_EndTime : 0);
    AddKeyInt(FRAG_LIMIT_KEY, fragged ? game.m_EndFrags : 0);
    const GameOptions& options = m_Sources.m_Options;
    AddKeyValue("tractorbeam", OnOff(options.m_TractorBeam));
    AddKeyValue("doublejump", OnOff(options.m_DoubleJump));
    AddKeyValue("ramming", OnOff(options.m_RammingDamage));
    return true;
}

// \player_<i>\<name>\frags_<i>\<frags>\ping_<i>\<ms> for each player in table order, i from 0.
bool ServerStatusReporter::ReportPlayers() {
    const IGameStatus& status = m_Sources.m_Status;
    const int32_t count = status.PlayerCount();
    for (int32_t index = 0; index < count; ++index) {
        const PlayerStatus player = status.Player(index);
        AddKeyValue(IndexedKey("player_", index).View(), player.m_Name);
        AddKeyInt(IndexedKey("frags_", index).View(), player.m_Frags);
        AddKeyInt(IndexedKey("ping_", index).View(), player.m_Ping);
    }
    return true;
}

} // namespace dravo
