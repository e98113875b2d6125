// The nine game option commands.
#include "ui/GameOptionCommands.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace dravo {
namespace {

// printf-style composition into one bounded command; longer text is cut.
__attribute__((format(printf, 2, 3))) void AddCommand(std::vector<std::string>& commands, const char* format, ...) {
    char text[OPTION_COMMAND_SIZE];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    commands.emplace_back(text);
}

} // namespace

std::vector<std::string> GameOptionCommands(const GameOptions& options) {
    std::vector<std::string> commands;
    AddCommand(commands, "TractorBeam %i", options.m_TractorBeam);
    AddCommand(commands, "DoubleJump %i", options.m_DoubleJump);
    AddCommand(commands, "RammingDamage %i", options.m_RammingDamage);
    const struct {
        const char* m_Format;
        float m_Value;
    } numbers[] = {
        {"RunSpeed %f", options.m_RunSpeed},
        {"MissileSpeed %f", options.m_MissileSpeed},
        {"RespawnScale %f", options.m_RespawnScale},
        {"HealScale %f", options.m_HealScale},
        {"WorldTimeSpeed %f", options.m_WorldTimeSpeed},
    };
    for (const auto& number : numbers) {
        if (number.m_Value != 0.0f) {
            AddCommand(commands, number.m_Format, static_cast<double>(number.m_Value));
        }
    }
    const size_t colorLength = strnlen(options.m_WorldColorNight, NIGHT_COLOR_SIZE);
    if (colorLength > 0) {
        AddCommand(commands, "WorldColorNight \"%.*s\"", static_cast<int>(colorLength), options.m_WorldColorNight);
    }
    return commands;
}

bool ApplyGameOptions(EngineServer* server, const GameOptions* options) {
    if (server == nullptr || options == nullptr) {
        return false;
    }
    for (const std::string& command : GameOptionCommands(*options)) {
        server->ExecuteCommand(command.c_str());
    }
    return true;
}

void SetGameOptionsStartValues(GameOptions& options) {
    options.m_TractorBeam = 1;
    options.m_DoubleJump = 1;
    options.m_RammingDamage = 1;
    options.m_RunSpeed = 1.0f;
    options.m_MissileSpeed = 1.0f;
    options.m_RespawnScale = 1.0f;
    options.m_HealScale = 1.0f;
    options.m_WorldTimeSpeed = -1.0f;
    std::snprintf(options.m_WorldColorNight, sizeof options.m_WorldColorNight, "%s", "0.5 0.5 0.5");
}

} // namespace dravo
