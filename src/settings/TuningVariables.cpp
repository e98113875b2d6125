// Reading the read-only tuning variables from the engine's store.
#include "settings/TuningVariables.h"

#include <algorithm>
#include <optional>

namespace dravo {
namespace {

VariableHandle Find(EngineServer& server, const char* name) {
    VariableHandle handle = nullptr;
    if (server.FindVariable(name, &handle, nullptr) != ENGINE_STATUS_OK) {
        return nullptr;
    }
    return handle;
}

std::optional<float> ReadNumber(EngineServer& server, const char* name) {
    VariableHandle handle = Find(server, name);
    float value = 0.0f;
    if (handle == nullptr || server.ReadVariableFloat(handle, &value) != ENGINE_STATUS_OK) {
        return std::nullopt;
    }
    return value;
}

void ReadLabel(EngineServer& server, const char* name, std::string& label) {
    VariableHandle handle = Find(server, name);
    char text[SPY_LABEL_SIZE] = {};
    if (handle != nullptr && server.ReadVariableText(handle, text, sizeof text) == ENGINE_STATUS_OK &&
        text[0] != '\0') {
        text[SPY_LABEL_SIZE - 1] = '\0';
        label = text;
    }
}

uint32_t WholeSeconds(float value) {
    return static_cast<uint32_t>(std::min(value, static_cast<float>(MAX_TUNING_SECONDS)));
}

} // namespace

void ReadTuningVariables(EngineServer& server, TuningVariables& tuning) {
    // Comparisons with NaN are false, so such a value is never taken.
    if (auto period = ReadNumber(server, WEB_REG_UPDATE_VARIABLE); period && *period > 1.0f) {
        tuning.m_WebRegPeriodSeconds = WholeSeconds(*period);
    }
    if (auto emptyExit = ReadNumber(server, EMPTY_EXIT_VARIABLE); emptyExit && *emptyExit >= 1.0f) {
        tuning.m_EmptyExit = true;
    }
    if (auto delay = ReadNumber(server, EMPTY_EXIT_DELAY_VARIABLE); delay && *delay >= 1.0f) {
        tuning.m_EmptyExitDelaySeconds = WholeSeconds(*delay);
    }
    ReadSpyLabels(server, tuning);
}

void ReadSpyLabels(EngineServer& server, TuningVariables& tuning) {
    ReadLabel(server, SPY_GAME_TYPE_VARIABLE, tuning.m_SpyGameType);
    ReadLabel(server, SPY_GAME_MODE_VARIABLE, tuning.m_SpyGameMode);
}

} // namespace dravo
