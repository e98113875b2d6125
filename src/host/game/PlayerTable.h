// PlayerTable: the players of the latest state update, sorted by frags, walked one at a time.
//
// Plain data without a lock of its own: the session guards it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dravo {

constexpr size_t MAX_PLAYER_ENTRIES = 130;

struct PlayerEntry {
    char m_Name[64];     // player name, zero-terminated, at most 63 characters
    int32_t m_Frags;     // frags reported by the game
    uint32_t m_ClientId; // the engine's id for this client, passed to DisconnectClient
    int32_t m_Ping;      // ping time in milliseconds

    std::string_view Name() const;
    // Copies the name, cut to 63 characters.
    void SetName(std::string_view name);
};

static_assert(sizeof(PlayerEntry) == 76, "PlayerEntry keeps its fixed layout");

class PlayerTable {
public:
    PlayerTable() { Reset(); }

    // Empties every entry, the count and the walk.
    void Reset();

    int32_t Count() const { return m_Count; }
    // A count above the table's size is limited to it; a negative one counts as 0.
    void SetCount(int32_t count);

    // Entry at index 0 .. MAX_PLAYER_ENTRIES - 1; throws std::out_of_range beyond.
    PlayerEntry& Entry(size_t index) { return m_Entries.at(index); }
    const PlayerEntry& Entry(size_t index) const { return m_Entries.at(index); }

    // Orders the first Count() entries: most frags first, then by name (byte by byte).
    void Sort();

    // The walk: FirstPlayer starts it over; both return null once Count() entries were handed out.
    const PlayerEntry* FirstPlayer();
    const PlayerEntry* NextPlayer();

private:
    std::array<PlayerEntry, MAX_PLAYER_ENTRIES> m_Entries;
    int32_t m_Count = 0;
    // Index of the entry last returned by the walk; -1 before the first.
    int32_t m_WalkPosition = -1;
};

} // namespace dravo
