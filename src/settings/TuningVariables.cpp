// Reading the read-only tuning variables from the engine's store.
#include "settings/TuningVariables.h"

namespace dravo {

void ReadTuningVariables(VariableReader& reader, TuningVariables& tuning) {
    if (auto period = reader.Whole(service_variable::WEB_REG_UPDATE)) {
        tuning.m_WebRegPeriodSeconds = *period;
    }
    if (auto emptyExit = reader.Number(service_variable::EMPTY_EXIT); emptyExit && *emptyExit >= 1.0) {
        tuning.m_EmptyExit = true;
    }
    if (auto delay = reader.Whole(service_variable::EMPTY_EXIT_DELAY)) {
        tuning.m_EmptyExitDelaySeconds = *delay;
    }
    if (auto countdown = reader.Whole(service_variable::STOP_SIGNAL_COUNTDOWN)) {
        tuning.m_StopSignalCountdownSeconds = *countdown;
    }
    ReadSpyLabels(reader, tuning);
}

void ReadSpyLabels(VariableReader& reader, TuningVariables& tuning) {
    constexpr size_t SPY_LABEL_CHARS = 63;
    if (auto type = reader.Text(service_variable::SPY_GAME_TYPE)) {
        tuning.m_SpyGameType = type->substr(0, SPY_LABEL_CHARS);
    }
    if (auto mode = reader.Text(service_variable::SPY_GAME_MODE)) {
        tuning.m_SpyGameMode = mode->substr(0, SPY_LABEL_CHARS);
    }
}

} // namespace dravo
