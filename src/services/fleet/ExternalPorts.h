// ExternalPorts: which of the game server's exposed ports (status.ports) players and the master server
// use, so that heartbeats and answers name the node's numbers rather than the container's.
//
// The manifests name the game port "game"; a port named "query" is the query port (named only when the
// heartbeats name the query port rather than the game port, which this program's do not). A list of one port
// that is not named "query" holds the game port whatever its name (Agones names an unnamed port
// "default"). A number outside 1..65535 is not taken, and said once.
#pragma once

#include "net/AdvertisedPorts.h"
#include "services/fleet/SdkMessages.h"

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace dravo {

inline constexpr const char* GAME_PORT_NAME = "game";
inline constexpr const char* QUERY_PORT_NAME = "query";

struct ExternalPortsRead {
    AdvertisedPorts::Pair m_Ports;       // 0 where the list names none
    std::vector<std::string> m_Problems; // the entries not taken, as log lines
};
ExternalPortsRead ReadExternalPorts(const std::vector<GameServerPort>& ports);

// Hands what each view of the game server says to the advertised ports, and logs each change once; safe
// from the watch and the request threads.
class ExternalPortsNotes {
public:
    explicit ExternalPortsNotes(AdvertisedPorts* ports) : m_Target(ports) {}
    // The lines to log (none when nothing changed).
    std::vector<std::string> Note(const GameServerView& server);

private:
    static constexpr size_t MAX_TOLD = 64;

    AdvertisedPorts* m_Target; // not owned; none: nothing is advertised
    std::mutex m_Mutex;
    AdvertisedPorts::Pair m_Last;      // m_Mutex
    bool m_Heard = false;              // m_Mutex
    std::set<std::string> m_ToldLines; // m_Mutex: the problems said already
};

} // namespace dravo
