// ServerStatusReporter: the query reporter's answers about the live hosted game.
//
// Its hooks run inside query handling on the worker thread under UpdateLock,
// the lock under which the session changes the level, the player table and the
// two labels; everything is read fresh at each answer.
#pragma once

#include "app/TuningVariables.h"
#include "host/PlayerTable.h"
#include "net/QueryReporter.h"
#include "ui/HostingRecords.h"

#include <string>
#include <string_view>

namespace dravo {

// What the answers are made of; all owned by the session, which outlives the reporter.
struct StatusSources {
    const HostInfo& m_Host;
    const GameInfo& m_Game;
    const GameOptions& m_Options;
    PlayerTable& m_Players;            // walked with FirstPlayer / NextPlayer
    const std::string& m_CurrentLevel; // the level being played
    const TuningVariables& m_Tuning;   // the game type and game mode labels
};

inline constexpr const char* FRAG_LIMIT_KEY = "fraglimit";

class ServerStatusReporter final : public QueryReporter {
public:
    ServerStatusReporter(IClock& clock, StatusSources sources) : QueryReporter(clock), m_Sources(sources) {}

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
