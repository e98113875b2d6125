// HostInfo, GameOptions and GameInfo: the operator's choices carried from the
// setup wizard to the hosted game. Start-up owns one of each for the whole run.
#pragma once

#include "engine/EngineRecords.h"

#include <cstddef>
#include <cstdint>

namespace dravo {

constexpr size_t HOST_TEXT_SIZE = 128;

// How and under which name the game is hosted.
struct HostInfo {
    char m_ServerName[HOST_TEXT_SIZE];  // name shown to players
    char m_ServiceName[HOST_TEXT_SIZE]; // display name of the network service ("Tcp/ip", ...)
    char m_HostAddress[HOST_TEXT_SIZE]; // address the game is hosted on; filled once hosting runs
    int32_t m_MaxPlayers;               // player limit, 1 to 128
    int32_t m_UpdateInfo;               // 0 or 1: update game info for new joiners
    int32_t m_WebRegistration;          // 0 or 1: register on the server-list web page
    int32_t m_GameSpy;                  // 0 or 1: answer GameSpy queries, send heartbeats
};

constexpr size_t NIGHT_COLOR_SIZE = 32;

// The game options, sent to the game as console commands by ApplyGameOptions.
struct GameOptions {
    int32_t m_TractorBeam;                    // 0 or 1
    int32_t m_DoubleJump;                     // 0 or 1
    int32_t m_RammingDamage;                  // 0 or 1
    float m_RunSpeed;                         // multiplier; 0 leaves the game's own value
    float m_MissileSpeed;                     // multiplier; 0 leaves the game's own value
    float m_RespawnScale;                     // multiplier; 0 leaves the game's own value
    float m_HealScale;                        // multiplier; 0 leaves the game's own value
    float m_WorldTimeSpeed;                   // multiplier, -1 stops time; 0 leaves the game's own value
    char m_WorldColorNight[NIGHT_COLOR_SIZE]; // "r g b", each 0.0 to 1.0
};

constexpr size_t MAX_LEVELS = 50;
constexpr size_t LEVEL_NAME_SIZE = 128;

// End-of-level rules as the game and the EndType setting number them.
constexpr uint8_t END_AFTER_FRAGS = 1;
constexpr uint8_t END_AFTER_TIME = 2;
constexpr uint8_t END_AFTER_FRAGS_OR_TIME = 3;
constexpr uint8_t END_NEVER = 4;

// Rule of the game and the level rotation, handed whole to the engine.
struct GameInfo {
    uint8_t m_GameType;                             // always 1
    uint8_t m_EndType;                              // END_AFTER_FRAGS .. END_NEVER
    uint8_t m_Reserved2[2];                         // zero
    int32_t m_EndFrags;                             // frag limit
    int32_t m_EndTime;                              // time limit in minutes
    uint8_t m_LevelCount;                           // 0 to MAX_LEVELS
    char m_LevelNames[MAX_LEVELS][LEVEL_NAME_SIZE]; // "Worlds\Multi\name" or a custom bare name
    uint8_t m_Reserved6413[3];                      // zero
};

static_assert(sizeof(GameInfo) == GAME_INFO_SIZE);
static_assert(offsetof(GameInfo, m_EndType) == 1);
static_assert(offsetof(GameInfo, m_EndFrags) == 4);
static_assert(offsetof(GameInfo, m_EndTime) == 8);
static_assert(offsetof(GameInfo, m_LevelCount) == 12);
static_assert(offsetof(GameInfo, m_LevelNames) == 13);
static_assert(offsetof(GameInfo, m_Reserved6413) == 6413);
static_assert(offsetof(GameOptions, m_WorldTimeSpeed) == 28);
static_assert(offsetof(GameOptions, m_WorldColorNight) == 32);
static_assert(offsetof(HostInfo, m_MaxPlayers) == 384);

} // namespace dravo
