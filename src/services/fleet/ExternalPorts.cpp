// Reading the game server's exposed ports and handing them on.
#include "services/fleet/ExternalPorts.h"

#include "settings/ServiceVariables.h"

namespace dravo {
namespace {

constexpr int64_t HIGHEST_PORT = 65535;

std::string Describe(const char* what, uint16_t port, uint16_t byOperator, std::string_view variable) {
    std::string line = std::string("Agones SDK: the game server's ") + what + " port is " +
                       (port != 0 ? std::to_string(port) : std::string("not exposed"));
    if (byOperator != 0) {
        return line + "; " + std::string(variable) + " " + std::to_string(byOperator) + " is named instead.";
    }
    return line + (port != 0 ? "; heartbeats and answers name it." : "; the bound one is named.");
}

} // namespace

ExternalPortsRead ReadExternalPorts(const std::vector<GameServerPort>& ports) {
    ExternalPortsRead read;
    const GameServerPort* game = nullptr;
    const GameServerPort* query = nullptr;
    for (const GameServerPort& port : ports) {
        if (port.m_Name == GAME_PORT_NAME && game == nullptr) {
            game = &port;
        } else if (port.m_Name == QUERY_PORT_NAME && query == nullptr) {
            query = &port;
        }
    }
    if (game == nullptr && ports.size() == 1 && query == nullptr) {
        game = &ports.front();
    }
    const auto take = [&read](const GameServerPort* port, uint16_t& into) {
        if (port == nullptr) {
            return;
        }
        if (port->m_Port < 1 || port->m_Port > HIGHEST_PORT) {
            read.m_Problems.push_back("Agones SDK: the game server's port \"" + port->m_Name.substr(0, 63) + "\" (" +
                                      std::to_string(port->m_Port) + ") is no port from 1 to 65535; not taken.");
            return;
        }
        into = static_cast<uint16_t>(port->m_Port);
    };
    take(game, read.m_Ports.m_Game);
    take(query, read.m_Ports.m_Query);
    return read;
}

std::vector<std::string> ExternalPortsNotes::Note(const GameServerView& server) {
    ExternalPortsRead read = ReadExternalPorts(server.m_Ports);
    std::vector<std::string> lines;
    std::scoped_lock lock(m_Mutex);
    for (std::string& problem : read.m_Problems) {
        if (m_ToldLines.size() < MAX_TOLD && m_ToldLines.insert(problem).second) {
            lines.push_back(std::move(problem));
        }
    }
    const AdvertisedPorts::Pair now = read.m_Ports;
    const bool gameChanged = !m_Heard ? now.m_Game != 0 : now.m_Game != m_Last.m_Game;
    m_Heard = true;
    m_Last = now;
    if (m_Target == nullptr) {
        return lines;
    }
    m_Target->SetByFleet(now);
    const AdvertisedPorts::Pair byOperator = m_Target->ByOperator();
    if (gameChanged) {
        lines.push_back(Describe("game", now.m_Game, byOperator.m_Game, service_variable::ADVERTISED_PORT.m_Name));
    }
    return lines;
}

} // namespace dravo
