// SettingsStore: reads and writes the settings as console variables of the engine.
//
// The program never opens the configuration file itself: a setting is stored
// by running the command "+Key" "value", read by looking the variable up, and
// the engine loads and saves the whole store. Window thread only. Every
// operation does nothing and fails when there is no engine server object.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "settings/ServerSettings.h"
#include "settings/SettingsTable.h"

#include <string>
#include <string_view>

namespace dravo {

constexpr size_t SETTING_COMMAND_SIZE = 512;

// What reading a stored list found.
struct TextListRead {
    TextList m_Entries;
    int32_t m_Count = 0; // what the count key said
    bool m_Cut = false;  // the count asked for more entries than are read
};

class SettingsStore {
public:
    explicit SettingsStore(EngineServer* server) : m_Server(server) {}

    // Runs "+key" "text". False when there is no server or the command would not
    // fit its 512-byte buffer (then nothing is stored).
    [[nodiscard]] bool StoreSetting(std::string_view key, std::string_view text);
    [[nodiscard]] bool StoreSettingInt(std::string_view key, int32_t value);
    [[nodiscard]] bool StoreSettingFloat(std::string_view key, float value);

    // The buffer holds the current value; an absent key is created with it.
    [[nodiscard]] bool ReadSetting(std::string_view key, char* buffer, size_t size);
    [[nodiscard]] bool ReadSettingInt(std::string_view key, int32_t& value);
    [[nodiscard]] bool ReadSettingFloat(std::string_view key, float& value);

    // Every row of the scalar table, in table order.
    void ReadAllSettings(ServerSettings& settings, GameOptions& options);
    void StoreAllSettings(const ServerSettings& settings, const GameOptions& options);
    // The game options alone, in table order, under the keys of the options dialog.
    void StoreGameOptions(const GameOptions& options);

    // Has the engine save its store; true without saving when there is no engine.
    [[nodiscard]] bool SaveSettingsFile(const std::string& path);

    // A list kept as a count key and entries "<prefix><index>" counted from 0. Reading takes at most
    // maxEntries entries, skips empty and missing ones (a missing one is not created, so a wrong count
    // never fills the store) and cuts each to maxChars characters.
    TextListRead ReadTextList(std::string_view countKey, std::string_view entryPrefix, size_t maxChars,
                              size_t maxEntries);
    // Numbers only the non-empty entries, then stores the count.
    void WriteTextList(std::string_view countKey, std::string_view entryPrefix, const TextList& list);

private:
    enum class ReadOutcome { Created, Read, Failed };
    ReadOutcome ReadInto(std::string_view key, char* buffer, size_t size);
    // The value of a variable that exists; false, and nothing created, when it does not.
    bool ReadExisting(std::string_view key, char* buffer, size_t size);
    void StoreRow(const SettingRow& row, std::string_view key, const void* value);

    EngineServer* m_Server;
};

} // namespace dravo
