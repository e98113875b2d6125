// ServerStatusReporter: the query reporter's answers about the live hosted game.
//
// Its hooks run inside query handling under UpdateLock, the lock under which the
// session changes the level, the players and the two labels; everything is read
// fresh at each answer.
#pragma once

#include "engine/HostingRecords.h"
#include "net/GameStatus.h"
#include "net/QueryReporter.h"
#include "settings/TuningVariables.h"

#include <string>
#include <string_view>

namespace dravo {

// What the answers are made of; all owned by the session, which outlives the reporter.
struct StatusSources {
    const HostInfo& m_Host;
    const GameInfo& m_Game;
    const GameOptions& m_Options;
    const IGameStatus& m_Status;     // the level and the players
    const TuningVariables& m_Tuning; // the game type and game mode labels
};

inline constexpr const char* FRAG_LIMIT_KEY = "fraglimit";

class ServerStatusReporter final : public QueryReporter {
public:
    ServerStatusReporter(IClock& clock, StatusSources sources, MasterLookup::Resolve resolve = {})
        : QueryReporter(clock, std::move(resolve)), m_Sources(sources) {}

    // The level name after its last backslash; short names, and names ending in one, whole.
    static std::string_view MapName(std::string_view level);

protected:
    bool ReportInfo() override;
    bool ReportRules() override;
    bool ReportPlayers() override;

private:
    StatusSources m_Sources;
};

} // namespace dravo
