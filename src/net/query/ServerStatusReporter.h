// ServerStatusReporter: the query reporter's answers about the live hosted game.
//
// Its hooks run inside query handling under UpdateLock, the lock under which the
// session changes the level, the players, the records and the two labels. The
// info, rules and players pairs are kept ready and rebuilt at the first answer
// after what they say has changed: the game status's revision, the labels, or
// the records' fields they show (compared at each answer, which costs far less
// than writing the pairs).
#pragma once

#include "engine/HostingRecords.h"
#include "net/query/AnswerPairs.h"
#include "net/query/GameStatus.h"
#include "net/query/QueryReporter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// What the answers are made of; all owned by the session, which outlives the reporter.
struct StatusSources {
    const HostInfo& m_Host;
    const GameInfo& m_Game;
    const GameOptions& m_Options;
    const IGameStatus& m_Status; // the level and the players
};

inline constexpr const char* FRAG_LIMIT_KEY = "fraglimit";
// The labels until the session sets its own.
inline constexpr const char* DEFAULT_GAME_TYPE_LABEL = "deathmatch";
inline constexpr const char* DEFAULT_GAME_MODE_LABEL = "openplaying";

class ServerStatusReporter final : public QueryReporter {
public:
    ServerStatusReporter(IClock& clock, BlockingPool& pool, StatusSources sources, MasterLookup::Resolve resolve = {})
        : QueryReporter(clock, pool, std::move(resolve)), m_Sources(sources) {}

    // The game type and game mode labels of the info answer; under UpdateLock.
    void SetLabels(std::string_view gameType, std::string_view gameMode);

    // The level name after its last backslash; short names, and names ending in one, whole.
    static std::string_view MapName(std::string_view level);

protected:
    const AnswerPairs& ReportInfo() override;
    const AnswerPairs& ReportRules() override;
    const AnswerPairs& ReportPlayers() override;
    std::string_view A2sInfo() override;
    std::string_view A2sRules() override;
    std::string_view A2sPlayers(uint32_t nowMs) override;

private:
    // What the info pairs were built from, besides the game status.
    struct InfoKey {
        uint64_t m_Revision = 0;
        uint32_t m_Labels = 0;
        int m_HostPort = 0;
        int32_t m_MaxPlayers = 0;
        char m_ServerName[HOST_TEXT_SIZE] = {};
    };
    // What the rules pairs were built from.
    struct RulesKey {
        int32_t m_EndType = 0;
        int32_t m_EndTime = 0;
        int32_t m_EndFrags = 0;
        int32_t m_TractorBeam = 0;
        int32_t m_DoubleJump = 0;
        int32_t m_RammingDamage = 0;
        bool operator==(const RulesKey&) const = default;
    };

    // Where a player's time connected sits in the players answer, and since when.
    struct A2sDuration {
        size_t m_Offset = 0;
        uint32_t m_JoinedMs = 0;
    };

    bool InfoIsCurrent() const;
    void WriteA2sInfo();
    void WriteA2sPlayers();
    RulesKey CurrentRules() const;

    StatusSources m_Sources;
    std::string m_GameType = DEFAULT_GAME_TYPE_LABEL;
    std::string m_GameMode = DEFAULT_GAME_MODE_LABEL;
    uint32_t m_LabelsRevision = 0;

    AnswerPairs m_Info;
    AnswerPairs m_Rules;
    AnswerPairs m_Players;
    bool m_InfoBuilt = false;
    bool m_RulesBuilt = false;
    bool m_PlayersBuilt = false;
    InfoKey m_InfoKey;
    RulesKey m_RulesKey;
    uint64_t m_PlayersRevision = 0;
    // Grow each time the info or rules pairs are written anew: the A2S answers follow them.
    uint64_t m_InfoGeneration = 0;
    uint64_t m_RulesGeneration = 0;

    A2sPacket m_A2sInfo{a2s::INFO_ANSWER};
    A2sPacket m_A2sRules{a2s::RULES_ANSWER};
    A2sPacket m_A2sPlayers{a2s::PLAYER_ANSWER};
    uint64_t m_A2sInfoGeneration = 0;
    uint64_t m_A2sRulesGeneration = 0;
    bool m_A2sPlayersBuilt = false;
    uint64_t m_A2sPlayersRevision = 0;
    std::vector<A2sDuration> m_A2sDurations;
};

} // namespace dravo
