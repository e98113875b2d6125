// Match: the level being played, the rotation and the simulated frags.
//
// The world LoadWorld started is the current level; the rotation comes from
// the game rules, and levels in it that the resources lack are skipped. Frags
// come as a random stream (a Poisson process whose rate grows with the number
// of players and the level's pace), drawn from a generator seeded by the
// caller, so a given seed and sequence of frames always plays the same way.
// Times are microseconds. No lock of its own: the server object guards it.
#pragma once

#include "ClientTable.h"
#include "GameRules.h"
#include "LevelInfo.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace dravo::ref {

class Match {
public:
    // rotationInfo holds one entry per rotation level, empty for a level the resources lack.
    Match(GameRules rules, std::string world, LevelInfo worldInfo, std::vector<std::optional<LevelInfo>> rotationInfo,
          uint32_t seed);

    const std::string& Current() const { return m_Current; }
    // The level that follows the current one (the current one again when no other can be played).
    const std::string& Next() const;
    const GameRules& Rules() const { return m_Rules; }
    uint64_t LevelTime() const { return m_LevelTime; }

    // Lets time pass and draws the frags of that time; the number of frags scored.
    int Play(ClientTable& clients, uint64_t elapsed, double fragsPerMinute);
    // True when the end rule says the current level is over.
    bool LevelOver(const ClientTable& clients) const;
    // Moves on to the next level: its time starts at 0 and every player's frags are reset.
    void ChangeLevel(ClientTable& clients);
    // The level of the rotation named so (any case) follows next; false when the rotation has no such
    // level that can be played.
    [[nodiscard]] bool ChooseNext(const std::string& level);

    // At most this many frags are scored in one call of Play, however long the pause before it.
    static constexpr int MAX_FRAGS_PER_PLAY = 16;

private:
    // Index of the rotation level that follows `from` (npos = before the first), npos when none can be played.
    size_t NextPlayable(size_t from) const;
    double DrawWait();

    GameRules m_Rules;
    std::vector<std::optional<LevelInfo>> m_RotationInfo;
    std::string m_Current;
    LevelInfo m_CurrentInfo;
    size_t m_CurrentIndex; // position in the rotation, npos when the world is not in it
    size_t m_NextIndex;    // npos when no rotation level can be played
    uint64_t m_LevelTime = 0;
    std::mt19937 m_Random;
    double m_FragCredit = 0.0; // expected frags accumulated since the last frag
    double m_FragWait;         // expected frags until the next frag
};

} // namespace dravo::ref
