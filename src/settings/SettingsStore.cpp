// Settings as console variables: the command form, the read rules, the lists.
#include "settings/SettingsStore.h"

#include "platform/os/Text.h"
#include "settings/DecimalText.h"
#include "settings/SettingsTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace dravo {

bool SettingsStore::StoreSetting(std::string_view key, std::string_view text) {
    if (m_Server == nullptr) {
        return false;
    }
    // "+key" "text": a quote, a plus, the key, a quote, a blank, a quote, the text, a quote.
    std::string command;
    command.reserve(key.size() + text.size() + 6);
    command.append("\"+").append(key).append("\" \"").append(text).append("\"");
    if (command.size() >= SETTING_COMMAND_SIZE) {
        return false; // a cut command would store a different value
    }
    m_Server->ExecuteCommand(command.c_str());
    return true;
}

bool SettingsStore::StoreSettingInt(std::string_view key, int32_t value) {
    return StoreSetting(key, FormatDecimalInt(value));
}

bool SettingsStore::StoreSettingFloat(std::string_view key, float value) {
    return StoreSetting(key, FormatDecimalNumber(value));
}

SettingsStore::ReadOutcome SettingsStore::ReadInto(std::string_view key, char* buffer, size_t size) {
    if (m_Server == nullptr || buffer == nullptr || size == 0) {
        return ReadOutcome::Failed;
    }
    const std::string name(key);
    VariableHandle handle = nullptr;
    if (m_Server->FindVariable(name.c_str(), &handle, buffer) != ENGINE_STATUS_OK) {
        // Absent: the current value becomes the stored value.
        return StoreSetting(key, BoundedText(buffer, size)) ? ReadOutcome::Created : ReadOutcome::Failed;
    }
    return m_Server->ReadVariableText(handle, buffer, static_cast<uint32_t>(size)) == ENGINE_STATUS_OK
               ? ReadOutcome::Read
               : ReadOutcome::Failed;
}

bool SettingsStore::ReadSetting(std::string_view key, char* buffer, size_t size) {
    return ReadInto(key, buffer, size) != ReadOutcome::Failed;
}

bool SettingsStore::ReadSettingInt(std::string_view key, int32_t& value) {
    char text[SETTING_TEXT_SIZE];
    std::snprintf(text, sizeof text, "%d", value);
    const ReadOutcome outcome = ReadInto(key, text, sizeof text);
    if (outcome == ReadOutcome::Read) {
        value = ParseDecimalInt(text);
    }
    return outcome != ReadOutcome::Failed;
}

bool SettingsStore::ReadSettingFloat(std::string_view key, float& value) {
    char text[SETTING_TEXT_SIZE];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    const ReadOutcome outcome = ReadInto(key, text, sizeof text);
    if (outcome == ReadOutcome::Read) {
        // A number beyond the float range is held at its largest value rather than converted blindly.
        constexpr double LIMIT = std::numeric_limits<float>::max();
        value = static_cast<float>(std::clamp(ParseDecimalNumber(text), -LIMIT, LIMIT));
    }
    return outcome != ReadOutcome::Failed;
}

void SettingsStore::ReadAllSettings(ServerSettings& settings, GameOptions& options) {
    SettingsTargets targets{settings, options};
    for (const SettingRow& row : ScalarSettingsTable()) {
        void* value = row.m_Locate(targets);
        switch (row.m_Kind) {
        case SettingKind::Text:
            (void)ReadSetting(row.m_Key, static_cast<char*>(value), row.m_TextSize);
            break;
        case SettingKind::Int:
            if (row.m_IsDashGoInfo) {
                *static_cast<int32_t*>(value) = 0; // absent means the tip was never shown
            }
            (void)ReadSettingInt(row.m_Key, *static_cast<int32_t*>(value));
            break;
        case SettingKind::Number:
            (void)ReadSettingFloat(row.m_Key, *static_cast<float*>(value));
            break;
        }
    }
}

void SettingsStore::StoreRow(const SettingRow& row, std::string_view key, const void* value) {
    switch (row.m_Kind) {
    case SettingKind::Text:
        (void)StoreSetting(key, BoundedText(static_cast<const char*>(value), row.m_TextSize));
        break;
    case SettingKind::Int:
        (void)StoreSettingInt(key, row.m_IsDashGoInfo ? 1 : *static_cast<const int32_t*>(value));
        break;
    case SettingKind::Number:
        (void)StoreSettingFloat(key, *static_cast<const float*>(value));
        break;
    }
}

void SettingsStore::StoreAllSettings(const ServerSettings& settings, const GameOptions& options) {
    // The rows only read through these copies.
    ServerSettings settingsCopy = settings;
    GameOptions optionsCopy = options;
    SettingsTargets targets{settingsCopy, optionsCopy};
    for (const SettingRow& row : ScalarSettingsTable()) {
        StoreRow(row, row.m_Key, row.m_Locate(targets));
    }
}

void SettingsStore::StoreGameOptions(const GameOptions& options) {
    ServerSettings unused;
    GameOptions optionsCopy = options;
    SettingsTargets targets{unused, optionsCopy};
    for (const SettingRow& row : ScalarSettingsTable()) {
        if (row.IsGameOption()) {
            StoreRow(row, row.m_Option.m_DialogKey, row.m_Locate(targets));
        }
    }
}

bool SettingsStore::SaveSettingsFile(const std::string& path) {
    if (m_Server == nullptr) {
        return true;
    }
    return m_Server->WriteVariablesFile(path.c_str()) == ENGINE_STATUS_OK;
}

bool SettingsStore::ReadExisting(std::string_view key, char* buffer, size_t size) {
    const std::string name(key);
    VariableHandle handle = nullptr;
    return m_Server != nullptr && m_Server->FindVariable(name.c_str(), &handle, nullptr) == ENGINE_STATUS_OK &&
           handle != nullptr &&
           m_Server->ReadVariableText(handle, buffer, static_cast<uint32_t>(size)) == ENGINE_STATUS_OK;
}

TextListRead SettingsStore::ReadTextList(std::string_view countKey, std::string_view entryPrefix, size_t maxChars,
                                         size_t maxEntries) {
    // Entries are looked for among this many numbers at most, whatever the count says.
    constexpr int32_t MAX_NUMBERS_LOOKED_AT = 4096;
    TextListRead read;
    if (!ReadSettingInt(countKey, read.m_Count)) {
        return read;
    }
    auto entry = std::make_unique<char[]>(maxChars + 1);
    const int32_t numbers = std::min(read.m_Count, MAX_NUMBERS_LOOKED_AT);
    for (int32_t index = 0; index < numbers; ++index) {
        entry[0] = '\0';
        const std::string key = std::string(entryPrefix) + std::to_string(index);
        if (!ReadExisting(key, entry.get(), maxChars + 1) || entry[0] == '\0') {
            continue;
        }
        if (read.m_Entries.size() == maxEntries) {
            read.m_Cut = true;
            break;
        }
        read.m_Entries.emplace_back(entry.get());
    }
    read.m_Cut = read.m_Cut || read.m_Count > MAX_NUMBERS_LOOKED_AT;
    return read;
}

void SettingsStore::WriteTextList(std::string_view countKey, std::string_view entryPrefix, const TextList& list) {
    int32_t count = 0;
    for (const std::string& text : list) {
        if (!text.empty() && StoreSetting(std::string(entryPrefix) + std::to_string(count), text)) {
            ++count;
        }
    }
    (void)StoreSettingInt(countKey, count);
}

} // namespace dravo
