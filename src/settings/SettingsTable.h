// The table of scalar settings: key, kind, size and where the value lives.
//
// One row per configuration key, in the order in which they are read and
// stored. The read and store code, the game option commands, the options
// dialog's store and the options' start values all walk this table; nothing
// else lists keys.
#pragma once

#include "engine/HostingRecords.h"
#include "settings/ServerSettings.h"

#include <span>
#include <string_view>

namespace dravo {

enum class SettingKind { Text, Int, Number };

// The records a row can point into.
struct SettingsTargets {
    ServerSettings& m_Settings;
    GameOptions& m_Options;
};

// What a row of GameOptions adds: its command and the options dialog's key.
struct GameOptionRow {
    int m_CommandOrder;            // place among the commands sent to the game, from 1; 0 for other rows
    std::string_view m_DialogKey;  // the key the options dialog stores under (two differ from m_Key)
    std::string_view m_StartValue; // the value the record holds before the configuration is read
};

struct SettingRow {
    std::string_view m_Key;                      // configuration key, exactly as written to the store
    SettingKind m_Kind;                          // text form and conversion
    size_t m_TextSize;                           // buffer size of a text setting, with terminator
    void* (*m_Locate)(SettingsTargets& targets); // the value in memory
    bool m_IsDashGoInfo;                         // read as 0 first, always stored as 1
    GameOptionRow m_Option;                      // for the rows of GameOptions
    bool IsGameOption() const { return m_Option.m_CommandOrder != 0; }
};

std::span<const SettingRow> ScalarSettingsTable();

} // namespace dravo
