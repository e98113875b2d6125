// The A2S answers about the live game: written when what they say changes, as the GameSpy pairs are;
// only the players' times connected are brought up to date at each answer.
#include "net/query/ServerStatusReporter.h"
#include "platform/os/Text.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr std::string_view A2S_FOLDER = "dravo";
constexpr std::string_view A2S_GAME = "Dravo";
constexpr std::string_view A2S_VERSION = DRAVO_VERSION_TEXT;
constexpr uint8_t SERVER_TYPE_DEDICATED = 'd';
#ifdef _WIN32
constexpr uint8_t ENVIRONMENT = 'w';
#else
constexpr uint8_t ENVIRONMENT = 'l';
#endif
// The engine has no game password: the server is always open to all.
constexpr uint8_t VISIBILITY_PUBLIC = 0;
constexpr uint8_t NOT_SECURED = 0;
constexpr uint8_t NO_BOTS = 0;
constexpr int32_t MAX_COUNT_BYTE = 255;
// An entry of the players answer beside its name: index, NUL, score and duration.
constexpr size_t PLAYER_ENTRY_FIXED = 1 + 1 + 4 + 4;

uint8_t CountByte(int32_t count) {
    return static_cast<uint8_t>(std::clamp(count, 0, MAX_COUNT_BYTE));
}

} // namespace

void ServerStatusReporter::WriteA2sInfo() {
    const HostInfo& host = m_Sources.m_Host;
    const IGameStatus& status = m_Sources.m_Status;
    A2sPacket& out = m_A2sInfo;
    out = A2sPacket(a2s::INFO_ANSWER);
    out.Byte(a2s::PROTOCOL_VERSION);
    out.Text(BoundedText(host.m_ServerName, sizeof host.m_ServerName));
    out.Text(MapName(status.CurrentLevel()));
    out.Text(A2S_FOLDER);
    out.Text(A2S_GAME);
    out.Short(0); // no application id of its own
    out.Byte(CountByte(status.PlayerCount()));
    out.Byte(CountByte(host.m_MaxPlayers));
    out.Byte(NO_BOTS);
    out.Byte(SERVER_TYPE_DEDICATED);
    out.Byte(ENVIRONMENT);
    out.Byte(VISIBILITY_PUBLIC);
    out.Byte(NOT_SECURED);
    out.Text(A2S_VERSION);
    out.Byte(a2s::EDF_GAME_PORT);
    out.Short(static_cast<uint16_t>(m_InfoKey.m_HostPort));
}

std::string_view ServerStatusReporter::A2sInfo() {
    (void)ReportInfo(); // rebuilds the info pairs, and with them the generation, when anything changed
    if (m_A2sInfoGeneration != m_InfoGeneration) {
        m_A2sInfoGeneration = m_InfoGeneration;
        WriteA2sInfo();
    }
    return m_A2sInfo.View();
}

// The rules of the GameSpy answer, pair by pair ("\key\value" in the kept text).
std::string_view ServerStatusReporter::A2sRules() {
    const AnswerPairs& rules = ReportRules();
    if (m_A2sRulesGeneration == m_RulesGeneration) {
        return m_A2sRules.View();
    }
    m_A2sRulesGeneration = m_RulesGeneration;
    A2sPacket& out = m_A2sRules;
    out = A2sPacket(a2s::RULES_ANSWER);
    const size_t countAt = out.Length();
    out.Short(0);
    uint16_t count = 0;
    const std::string_view text = rules.Text();
    size_t start = 0;
    for (const uint32_t end : rules.Ends()) {
        const std::string_view pair = text.substr(start + 1, end - start - 1); // "key\value"
        start = end;
        const size_t split = pair.find('\\');
        const std::string_view key = pair.substr(0, split);
        const std::string_view value = split == std::string_view::npos ? std::string_view{} : pair.substr(split + 1);
        if (!out.HasRoom(key.size() + value.size() + 2)) {
            break;
        }
        out.Text(key);
        out.Text(value);
        ++count;
    }
    out.SetShort(countAt, count);
    return out.View();
}

void ServerStatusReporter::WriteA2sPlayers() {
    const IGameStatus& status = m_Sources.m_Status;
    A2sPacket& out = m_A2sPlayers;
    out = A2sPacket(a2s::PLAYER_ANSWER);
    const size_t countAt = out.Length();
    out.Byte(0);
    m_A2sDurations.clear();
    const int32_t count = std::min(status.PlayerCount(), MAX_COUNT_BYTE);
    for (int32_t index = 0; index < count; ++index) {
        const PlayerStatus player = status.Player(index);
        const std::string_view name = player.m_Name.substr(0, player.m_Name.find('\0'));
        if (!out.HasRoom(PLAYER_ENTRY_FIXED + name.size())) {
            break; // cut at a whole player: the count says how many the answer holds
        }
        out.Byte(static_cast<uint8_t>(index));
        out.Text(name);
        out.Long(player.m_Frags);
        m_A2sDurations.push_back({out.Length(), player.m_JoinedMs});
        out.Float(0);
    }
    out.SetByte(countAt, static_cast<uint8_t>(m_A2sDurations.size()));
}

std::string_view ServerStatusReporter::A2sPlayers(uint32_t nowMs) {
    const uint64_t revision = m_Sources.m_Status.Revision();
    if (!m_A2sPlayersBuilt || m_A2sPlayersRevision != revision) {
        m_A2sPlayersBuilt = true;
        m_A2sPlayersRevision = revision;
        WriteA2sPlayers();
    }
    for (const A2sDuration& duration : m_A2sDurations) {
        m_A2sPlayers.SetFloat(duration.m_Offset, static_cast<float>(nowMs - duration.m_JoinedMs) / 1000.0F);
    }
    return m_A2sPlayers.View();
}

} // namespace dravo
