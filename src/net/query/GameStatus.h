// IGameStatus: what the status answers read of the running game.
//
// Contract. The session implements it over its player table and level; the
// status reporter reads it while answering a query, under UpdateLock, the lock
// under which the session changes what it reads. Answers are built from it once
// and kept until its revision changes.
#pragma once

#include <cstdint>
#include <string_view>

namespace dravo {

struct PlayerStatus {
    std::string_view m_Name; // valid until the state next changes
    int32_t m_Frags = 0;
    int32_t m_Ping = 0;      // milliseconds
    uint32_t m_JoinedMs = 0; // the session clock when the player was first listed
};

class IGameStatus {
public:
    virtual ~IGameStatus() = default;
    // The level being played, as the game names it.
    virtual std::string_view CurrentLevel() const = 0;
    virtual int32_t PlayerCount() const = 0;
    // The player at 0 <= index < PlayerCount(), in table order (most frags first).
    virtual PlayerStatus Player(int32_t index) const = 0;
    // Grows whenever the level or the players (their count, names, frags or pings) may have changed.
    virtual uint64_t Revision() const = 0;
};

} // namespace dravo
