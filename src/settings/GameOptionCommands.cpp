// The game option commands and start values, from the game-option rows of the settings table.
#include "settings/GameOptionCommands.h"

#include "platform/os/Text.h"
#include "settings/DecimalText.h"
#include "settings/SettingsTable.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace dravo {
namespace {

// The game-option rows in the order their commands are sent.
std::vector<const SettingRow*> RowsInCommandOrder() {
    std::vector<const SettingRow*> rows;
    for (const SettingRow& row : ScalarSettingsTable()) {
        if (row.IsGameOption()) {
            rows.push_back(&row);
        }
    }
    std::sort(rows.begin(), rows.end(), [](const SettingRow* a, const SettingRow* b) {
        return a->m_Option.m_CommandOrder < b->m_Option.m_CommandOrder;
    });
    return rows;
}

// One command, cut to fit OPTION_COMMAND_SIZE; nothing when the value is one the game keeps.
std::optional<std::string> CommandFor(const SettingRow& row, GameOptions& options) {
    ServerSettings unused;
    SettingsTargets targets{unused, options};
    const void* value = row.m_Locate(targets);
    const int keyLength = static_cast<int>(row.m_Key.size());
    char text[OPTION_COMMAND_SIZE];
    switch (row.m_Kind) {
    case SettingKind::Int:
        std::snprintf(text, sizeof text, "%.*s %i", keyLength, row.m_Key.data(), *static_cast<const int32_t*>(value));
        break;
    case SettingKind::Number: {
        const float number = *static_cast<const float*>(value);
        if (number == 0.0f) {
            return std::nullopt;
        }
        std::snprintf(text, sizeof text, "%.*s %f", keyLength, row.m_Key.data(), static_cast<double>(number));
        break;
    }
    case SettingKind::Text: {
        const std::string_view content = BoundedText(static_cast<const char*>(value), row.m_TextSize);
        if (content.empty()) {
            return std::nullopt;
        }
        std::snprintf(text, sizeof text, "%.*s \"%.*s\"", keyLength, row.m_Key.data(), static_cast<int>(content.size()),
                      content.data());
        break;
    }
    }
    return std::string(text);
}

} // namespace

std::vector<std::string> GameOptionCommands(const GameOptions& options) {
    GameOptions copy = options; // the rows locate through a mutable record
    std::vector<std::string> commands;
    for (const SettingRow* row : RowsInCommandOrder()) {
        if (auto command = CommandFor(*row, copy)) {
            commands.push_back(std::move(*command));
        }
    }
    return commands;
}

std::string JoinGameOptionCommands(const GameOptions& options) {
    std::string sent;
    for (const std::string& command : GameOptionCommands(options)) {
        sent += sent.empty() ? command : "; " + command;
    }
    return sent.empty() ? "(none sent)" : sent;
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
    ServerSettings unused;
    SettingsTargets targets{unused, options};
    for (const SettingRow& row : ScalarSettingsTable()) {
        if (!row.IsGameOption()) {
            continue;
        }
        void* value = row.m_Locate(targets);
        const std::string_view start = row.m_Option.m_StartValue;
        switch (row.m_Kind) {
        case SettingKind::Int:
            *static_cast<int32_t*>(value) = ParseDecimalInt(start);
            break;
        case SettingKind::Number:
            *static_cast<float*>(value) = static_cast<float>(ParseDecimalNumber(start));
            break;
        case SettingKind::Text: {
            char* text = static_cast<char*>(value);
            const size_t length = std::min(start.size(), row.m_TextSize - 1);
            std::copy_n(start.data(), length, text);
            text[length] = '\0';
            break;
        }
        }
    }
}

} // namespace dravo
