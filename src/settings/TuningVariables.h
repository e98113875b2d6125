// TuningVariables: console variables the program only reads, when hosting starts.
//
// The operator sets them in the configuration file or with console commands;
// the program never stores them. A value outside what is accepted leaves the
// default (or the previous value) in place.
#pragma once

#include "engine/EngineServer.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dravo {

constexpr uint32_t DEFAULT_WEB_REG_PERIOD_SECONDS = 400;
constexpr uint32_t DEFAULT_EMPTY_EXIT_DELAY_SECONDS = 60;
// Periods are counted in milliseconds later on; longer values are limited to this.
constexpr uint32_t MAX_TUNING_SECONDS = 2000000;
constexpr size_t SPY_LABEL_SIZE = 64;

inline constexpr const char* WEB_REG_UPDATE_VARIABLE = "WebRegUpdate";
inline constexpr const char* EMPTY_EXIT_VARIABLE = "EmptyExit";
inline constexpr const char* EMPTY_EXIT_DELAY_VARIABLE = "EmptyExitDelay";
inline constexpr const char* SPY_GAME_TYPE_VARIABLE = "SpyGameType";
inline constexpr const char* SPY_GAME_MODE_VARIABLE = "SpyGameMode";
inline constexpr std::array<std::string_view, 5> TUNING_VARIABLE_NAMES = {
    WEB_REG_UPDATE_VARIABLE, EMPTY_EXIT_VARIABLE, EMPTY_EXIT_DELAY_VARIABLE, SPY_GAME_TYPE_VARIABLE,
    SPY_GAME_MODE_VARIABLE};

struct TuningVariables {
    uint32_t m_WebRegPeriodSeconds = DEFAULT_WEB_REG_PERIOD_SECONDS;     // WebRegUpdate: above 1, whole seconds
    bool m_EmptyExit = false;                                            // EmptyExit: 1 or more turns it on
    uint32_t m_EmptyExitDelaySeconds = DEFAULT_EMPTY_EXIT_DELAY_SECONDS; // EmptyExitDelay: 1 or more
    std::string m_SpyGameType = "deathmatch";                            // SpyGameType: any non-empty text
    std::string m_SpyGameMode = "openplaying";                           // SpyGameMode: any non-empty text
};

// Reads all five; what is absent, unreadable or not accepted keeps its value.
void ReadTuningVariables(EngineServer& server, TuningVariables& tuning);
// Reads SpyGameType and SpyGameMode only (again after every operator command).
void ReadSpyLabels(EngineServer& server, TuningVariables& tuning);

} // namespace dravo
