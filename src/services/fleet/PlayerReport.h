// PlayerReport: who plays, as the fleet sees it.
//
// The list "players" of the beta Lists API holds the names of the players in the game, and its capacity
// is MaxPlayers. The capacity is set alone (UpdateList with the capacity only), and each name that comes
// or goes is one AddListValue or RemoveListValue call, so that who plays is compared as a set (a new
// order changes nothing) and values that others put in the list (an allocation's) stay: the server
// removes only the names it added itself. The list's values are unique, so a name two players share is
// listed once, and no more names than the capacity are asked for. A value the sidecar refuses (already
// there, the list full) is not asked again while that player stays. Where the fleet defines no such list
// (the sidecar refuses the capacity), players are reported through the alpha player tracking instead
// (capacity, then one connect or disconnect call per change); where that is off too, they are not
// reported. Which way is used is decided once, by the sidecar's first refusals, and said in one line.
#pragma once

#include "services/fleet/SdkCall.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace dravo {

inline constexpr const char* PLAYERS_LIST = "players";
constexpr int64_t MAX_LIST_CAPACITY = 1000; // the most a list may hold

class PlayerReport {
public:
    enum class Way { Unknown, List, TryingTracking, Tracking, Off };

    // The players now in the game (in any order, names may repeat) and MaxPlayers.
    void Want(const std::vector<std::string>& names, int32_t maxPlayers);
    // The call that brings the sidecar closer to what is wanted, or none when it holds it.
    std::optional<SdkCall> Next() const;
    // How that call came out: done, or refused by the gateway (its status body). Returns a line to log
    // when the way players are reported is settled, else an empty text. A call that got no answer is not
    // reported here: it is made again. One thread calls Want, Next and Answered, in that order.
    std::string Answered(const SdkCall& call, bool done);

    Way Current() const { return m_Way; }

private:
    std::string ListPath() const;
    std::string ValuePath(const char* action) const;
    std::string ListAnswered(const SdkCall& call, bool done);

    Way m_Way = Way::Unknown;
    std::vector<std::string> m_Wanted; // in the game's order, unique, at most the capacity
    int64_t m_Capacity = 0;
    // What the sidecar holds of ours.
    int64_t m_ListedCapacity = -1;
    std::set<std::string> m_Added;   // names this server added to the list
    std::set<std::string> m_Refused; // wanted names the list refused, not asked again while wanted
    std::set<std::string> m_Connected;
};

} // namespace dravo
