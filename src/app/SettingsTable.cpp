// The scalar settings, in their read and store order.
#include "app/SettingsTable.h"

#include <array>

namespace dravo {
namespace {

#define DRAVO_SETTING(key, kind, size, record, field, dashGo)                                                          \
    SettingRow {                                                                                                       \
        key, SettingKind::kind, size, [](SettingsTargets& targets) -> void* { return &targets.record.field; }, dashGo  \
    }

constexpr std::array SCALAR_SETTINGS = {
    DRAVO_SETTING("ServerName", Text, SETTING_TEXT_SIZE, m_Settings, m_ServerName, false),
    DRAVO_SETTING("ServiceName", Text, SETTING_TEXT_SIZE, m_Settings, m_ServiceName, false),
    DRAVO_SETTING("GameType", Int, 0, m_Settings, m_GameType, false),
    DRAVO_SETTING("EndType", Int, 0, m_Settings, m_EndType, false),
    DRAVO_SETTING("EndFrags", Int, 0, m_Settings, m_EndFrags, false),
    DRAVO_SETTING("EndTime", Int, 0, m_Settings, m_EndTime, false),
    DRAVO_SETTING("NetService", Int, 0, m_Settings, m_NetService, false),
    DRAVO_SETTING("MaxPlayers", Int, 0, m_Settings, m_MaxPlayers, false),
    DRAVO_SETTING("UpdateInfo", Int, 0, m_Settings, m_UpdateInfo, false),
    DRAVO_SETTING("ServerReg", Int, 0, m_Settings, m_ServerReg, false),
    DRAVO_SETTING("UseGameSpy", Int, 0, m_Settings, m_UseGameSpy, false),
    DRAVO_SETTING("DashGoInfo", Int, 0, m_Settings, m_DashGoInfo, true),
    DRAVO_SETTING("Port", Int, 0, m_Settings, m_Port, false),
    DRAVO_SETTING("TractorBeam", Int, 0, m_Options, m_TractorBeam, false),
    DRAVO_SETTING("DoubleJump", Int, 0, m_Options, m_DoubleJump, false),
    DRAVO_SETTING("RammingDamage", Int, 0, m_Options, m_RammingDamage, false),
    DRAVO_SETTING("WorldColorNight", Text, NIGHT_COLOR_SIZE, m_Options, m_WorldColorNight, false),
    DRAVO_SETTING("RunSpeed", Number, 0, m_Options, m_RunSpeed, false),
    DRAVO_SETTING("MissileSpeed", Number, 0, m_Options, m_MissileSpeed, false),
    DRAVO_SETTING("WorldTimeSpeed", Number, 0, m_Options, m_WorldTimeSpeed, false),
    DRAVO_SETTING("RespawnScale", Number, 0, m_Options, m_RespawnScale, false),
    DRAVO_SETTING("HealScale", Number, 0, m_Options, m_HealScale, false),
};

#undef DRAVO_SETTING

} // namespace

std::span<const SettingRow> ScalarSettingsTable() {
    return SCALAR_SETTINGS;
}

} // namespace dravo
