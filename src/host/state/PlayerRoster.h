// RosterPlayer: one player of the session's roster, the one source of who plays for every console and
// service (the window's list, the players and status commands, boot, completion, metrics, the fleet).
#pragma once

#include <cstdint>
#include <string>

namespace dravo {

struct RosterPlayer {
    uint32_t m_Id = 0;       // the engine's client id, stable while the player stays; 0 when the game gave none
    std::string m_Name;      // as the game names the player, at most 63 characters
    int32_t m_Frags = 0;     // as the game counts them
    int32_t m_Ping = 0;      // milliseconds
    uint32_t m_JoinedMs = 0; // the session clock when the player was first listed

    bool operator==(const RosterPlayer&) const = default;
};

// "(ping)\tname\tfrags\tid <id>": a player as the console window's list and the players action show it.
std::string FormatRosterLine(const RosterPlayer& player);

} // namespace dravo
