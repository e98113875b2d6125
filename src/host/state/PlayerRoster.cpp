// A roster player as one line of text.
#include "host/state/PlayerRoster.h"

namespace dravo {

std::string FormatRosterLine(const RosterPlayer& player) {
    return "(" + std::to_string(player.m_Ping) + ")\t" + player.m_Name + "\t" + std::to_string(player.m_Frags) +
           "\tid " + std::to_string(player.m_Id);
}

} // namespace dravo
