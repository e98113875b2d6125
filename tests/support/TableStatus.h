// TableStatus: the game status of a player table and a level the caller fills, for the status
// answers without a hosted session. Every change goes through a setter, which moves the revision on.
#pragma once

#include "host/game/PlayerTable.h"
#include "net/query/GameStatus.h"

#include <string>

namespace dravo::test {

class TableStatus final : public IGameStatus {
public:
    std::string_view CurrentLevel() const override { return m_Level; }
    int32_t PlayerCount() const override { return m_Players.Count(); }
    PlayerStatus Player(int32_t index) const override {
        const PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(index));
        return {entry.Name(), entry.m_Frags, entry.m_Ping, m_JoinedMs};
    }
    uint64_t Revision() const override { return m_Revision; }

    void SetLevel(std::string_view level) {
        m_Level = level;
        ++m_Revision;
    }
    // Keeps the first `count` players.
    void SetCount(int32_t count) {
        m_Players.SetCount(count);
        ++m_Revision;
    }
    // When every player joined (the session clock).
    void SetJoined(uint32_t joinedMs) {
        m_JoinedMs = joinedMs;
        ++m_Revision;
    }
    // Appends one player.
    void Add(std::string_view name, int32_t frags, int32_t ping) {
        ++m_Revision;
        const int32_t index = m_Players.Count();
        m_Players.SetCount(index + 1);
        PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(index));
        entry.SetName(name);
        entry.m_Frags = frags;
        entry.m_Ping = ping;
        entry.m_ClientId = static_cast<uint32_t>(index + 1);
    }

private:
    PlayerTable m_Players;
    std::string m_Level = "Worlds\\Multi\\Cinderworks";
    uint64_t m_Revision = 0;
    uint32_t m_JoinedMs = 0;
};

} // namespace dravo::test
