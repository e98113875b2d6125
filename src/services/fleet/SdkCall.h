// SdkCall: one request to the fleet sidecar's REST gateway, and the paths it serves.
#pragma once

#include <string>

namespace dravo {

namespace sdk_path {
inline constexpr const char* READY = "/ready";
inline constexpr const char* HEALTH = "/health";
inline constexpr const char* SHUTDOWN = "/shutdown";
inline constexpr const char* LABEL = "/metadata/label";
inline constexpr const char* WATCH = "/watch/gameserver";
inline constexpr const char* GAME_SERVER = "/gameserver";
inline constexpr const char* LISTS = "/v1beta1/lists/";
inline constexpr const char* ADD_VALUE = ":addValue";       // after a list's path
inline constexpr const char* REMOVE_VALUE = ":removeValue"; // after a list's path
inline constexpr const char* PLAYER_CAPACITY = "/alpha/player/capacity";
inline constexpr const char* PLAYER_CONNECT = "/alpha/player/connect";
inline constexpr const char* PLAYER_DISCONNECT = "/alpha/player/disconnect";
} // namespace sdk_path

struct SdkCall {
    std::string m_Method; // GET, POST, PUT or PATCH
    std::string m_Path;   // below the sidecar's base URL
    std::string m_Body;   // JSON

    std::string Name() const { return m_Method + " " + m_Path; }
    bool operator==(const SdkCall&) const = default;
};

} // namespace dravo
