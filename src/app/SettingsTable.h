// The table of scalar settings: key, kind, size and where the value lives.
//
// One row per configuration key, in the order in which they are read and
// stored. The read and store code walks this table; nothing else lists keys.
#pragma once

#include "app/ServerSettings.h"
#include "ui/HostingRecords.h"

#include <span>
#include <string_view>

namespace dravo {

enum class SettingKind { Text, Int, Number };

// The records a row can point into.
struct SettingsTargets {
    ServerSettings& m_Settings;
    GameOptions& m_Options;
};

struct SettingRow {
    std::string_view m_Key;                      // configuration key, exactly as written to the store
    SettingKind m_Kind;                          // text form and conversion
    size_t m_TextSize;                           // buffer size of a text setting, with terminator
    void* (*m_Locate)(SettingsTargets& targets); // the value in memory
    bool m_IsDashGoInfo;                         // read as 0 first, always stored as 1
};

std::span<const SettingRow> ScalarSettingsTable();

} // namespace dravo
