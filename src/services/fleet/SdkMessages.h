// SdkMessages: the JSON that the fleet sidecar's REST gateway takes and gives.
//
// Bodies are built with a JSON library, so names and values are always escaped; 64-bit numbers travel
// as JSON strings, as the gateway writes them. Reading never throws: what is not the expected shape is
// reported as absent.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

constexpr size_t MAX_LABEL_VALUE_CHARS = 63;

// {} for the calls that take an empty message (Ready, Health, Shutdown).
std::string EmptyBody();
// {"key": ..., "value": ...} for a label or an annotation.
std::string KeyValueBody(std::string_view key, std::string_view value);
// {"capacity": "<n>"}: a list's capacity alone, for UpdateList (its values stay as they are).
std::string CapacityBody(int64_t capacity);
// {"value": ...}: one value, for AddListValue and RemoveListValue.
std::string ValueBody(std::string_view value);
// {"count": "<n>"}: the player capacity of player tracking.
std::string CountBody(int64_t count);
// {"playerID": ...}: one player of player tracking.
std::string PlayerIdBody(std::string_view playerId);

// One of the game server's ports as the node exposes it (status.ports).
struct GameServerPort {
    std::string m_Name;
    int64_t m_Port = 0; // as given: not yet known to be a port
};
constexpr size_t MAX_GAME_SERVER_PORTS = 64; // more are not read

// What a watch line or GetGameServer tells of the game server.
struct GameServerView {
    std::string m_State;                              // "Ready", "Allocated", "Shutdown"...
    std::string m_Address;                            // where players reach it (status.address), or empty
    std::map<std::string, std::string> m_Annotations; // the object's annotations
    std::vector<GameServerPort> m_Ports;              // status.ports, in their order
};
// A GameServer object, bare or as a watch line's {"result": {...}}.
std::optional<GameServerView> ReadGameServer(std::string_view json);
// True when the text is the gateway's error status ({"code": n, "message": ...}): the sidecar understood
// the call and refused it, as opposed to an answer that is not the gateway's at all.
bool IsRefusal(std::string_view json);

// A text as a Kubernetes label value: the part after the last / or \, its characters outside
// [A-Za-z0-9._-] as "_", without leading or trailing non-alphanumerics, at most 63 characters.
std::string LabelValue(std::string_view text);

} // namespace dravo
