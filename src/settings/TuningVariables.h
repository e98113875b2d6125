// TuningVariables: console variables the program only reads, when hosting starts.
//
// The operator sets them in the configuration file or with console commands;
// the program never stores them. A value that is not taken leaves the default
// (or the previous value) in place, and the reader says so.
#pragma once

#include "settings/VariableReader.h"

#include <cstdint>
#include <string>

namespace dravo {

constexpr uint32_t DEFAULT_WEB_REG_PERIOD_SECONDS = 400;
constexpr uint32_t DEFAULT_EMPTY_EXIT_DELAY_SECONDS = 60;

struct TuningVariables {
    uint32_t m_WebRegPeriodSeconds = DEFAULT_WEB_REG_PERIOD_SECONDS;     // WebRegUpdate
    bool m_EmptyExit = false;                                            // EmptyExit: 1 or more turns it on
    uint32_t m_EmptyExitDelaySeconds = DEFAULT_EMPTY_EXIT_DELAY_SECONDS; // EmptyExitDelay
    std::string m_SpyGameType = "deathmatch";                            // SpyGameType: any non-empty text
    std::string m_SpyGameMode = "openplaying";                           // SpyGameMode: any non-empty text
    uint32_t m_StopSignalCountdownSeconds = 0;                           // StopSignalCountdown: 0 stops at once
};

// Reads them all; what is absent, unreadable or not taken keeps its value.
void ReadTuningVariables(VariableReader& reader, TuningVariables& tuning);
// Reads SpyGameType and SpyGameMode only (again after every operator command).
void ReadSpyLabels(VariableReader& reader, TuningVariables& tuning);

} // namespace dravo
