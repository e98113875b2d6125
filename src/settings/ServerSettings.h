// ServerSettings: the operator's scalar settings, with their start values.
//
// Each one is a console variable of the engine's store under the key of the
// settings table; the game options live in GameOptions, the level rotation and
// extra rez files in their own lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dravo {

constexpr size_t SETTING_TEXT_SIZE = 256;

struct ServerSettings {
    char m_ServerName[SETTING_TEXT_SIZE] = "Dravo Server"; // name the server is hosted and announced under
    char m_ServiceName[SETTING_TEXT_SIZE] = "";            // the engine's name of the chosen network service
    int32_t m_GameType = 1;                                // read and stored back unchanged
    int32_t m_EndType = 1;                                 // 1 frags, 2 minutes, 3 whichever first, 4 never
    int32_t m_EndFrags = 25;                               // frag limit of the end rule
    int32_t m_EndTime = 10;                                // time limit of the end rule, minutes
    int32_t m_NetService = 0;                              // position of the service in the sorted service list
    int32_t m_MaxPlayers = 16;                             // player limit
    int32_t m_UpdateInfo = 1;                              // update game info for new joiners
    int32_t m_ServerReg = 1;                               // register on the server-list web page
    int32_t m_UseGameSpy = 1;                              // answer GameSpy queries, send heartbeats
    int32_t m_DashGoInfo = 0;                              // the "-go" tip has been shown
    int32_t m_Port = 0;                                    // game port; 0 lets the engine choose
};

// The lists kept in the store: a count key and entries "<prefix><index>".
inline constexpr const char* NUM_LEVELS_KEY = "NumLevels";
inline constexpr const char* LEVEL_KEY_PREFIX = "Level";
inline constexpr const char* NUM_REZ_FILES_KEY = "NumRezFiles";
inline constexpr const char* REZ_FILE_KEY_PREFIX = "RezFile";
constexpr size_t LEVEL_NAME_MAX_CHARS = 119;    // a level path read back from the store
constexpr size_t REZ_FILE_NAME_MAX_CHARS = 124; // a rez file entry read back from the store

// An ordered list of texts kept in the store as a count key and numbered entry keys.
using TextList = std::vector<std::string>;

} // namespace dravo
