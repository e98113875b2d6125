// Roster players from names, for the tests that only care who plays.
#pragma once

#include "host/state/PlayerRoster.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace dravo::test {

// Ids 1, 2, 3... in the order given.
inline std::vector<RosterPlayer> Players(std::initializer_list<const char*> names) {
    std::vector<RosterPlayer> players;
    uint32_t id = 0;
    for (const char* name : names) {
        RosterPlayer player;
        player.m_Id = ++id;
        player.m_Name = name;
        players.push_back(player);
    }
    return players;
}

} // namespace dravo::test
