// The scalar settings, in their read and store order.
#include "settings/SettingsTable.h"

#include <array>

namespace dravo {
namespace {

#define DRAVO_SETTING(key, kind, size, field)                                                                          \
    SettingRow {                                                                                                       \
        key, SettingKind::kind, size, [](SettingsTargets& targets) -> void* { return &targets.m_Settings.field; },     \
            (key) == std::string_view("DashGoInfo"), {}                                                                \
    }
#define DRAVO_OPTION(key, kind, size, field, order, dialogKey, start)                                                  \
    SettingRow {                                                                                                       \
        key, SettingKind::kind, size, [](SettingsTargets& targets) -> void* { return &targets.m_Options.field; },      \
            false, {                                                                                                   \
            order, dialogKey, start                                                                                    \
        }                                                                                                              \
    }

constexpr std::array SCALAR_SETTINGS = {
    DRAVO_SETTING("ServerName", Text, SETTING_TEXT_SIZE, m_ServerName),
    DRAVO_SETTING("ServiceName", Text, SETTING_TEXT_SIZE, m_ServiceName),
    DRAVO_SETTING("GameType", Int, 0, m_GameType),
    DRAVO_SETTING("EndType", Int, 0, m_EndType),
    DRAVO_SETTING("EndFrags", Int, 0, m_EndFrags),
    DRAVO_SETTING("EndTime", Int, 0, m_EndTime),
    DRAVO_SETTING("NetService", Int, 0, m_NetService),
    DRAVO_SETTING("MaxPlayers", Int, 0, m_MaxPlayers),
    DRAVO_SETTING("UpdateInfo", Int, 0, m_UpdateInfo),
    DRAVO_SETTING("ServerReg", Int, 0, m_ServerReg),
    DRAVO_SETTING("UseGameSpy", Int, 0, m_UseGameSpy),
    DRAVO_SETTING("DashGoInfo", Int, 0, m_DashGoInfo),
    DRAVO_SETTING("Port", Int, 0, m_Port),
    DRAVO_OPTION("TractorBeam", Int, 0, m_TractorBeam, 1, "TractorBeam", "1"),
    DRAVO_OPTION("DoubleJump", Int, 0, m_DoubleJump, 2, "DoubleJump", "1"),
    DRAVO_OPTION("RammingDamage", Int, 0, m_RammingDamage, 3, "RammingDamage", "1"),
    DRAVO_OPTION("WorldColorNight", Text, NIGHT_COLOR_SIZE, m_WorldColorNight, 9, "WorldNightColor", "0.5 0.5 0.5"),
    DRAVO_OPTION("RunSpeed", Number, 0, m_RunSpeed, 4, "RunSpeed", "1.0"),
    DRAVO_OPTION("MissileSpeed", Number, 0, m_MissileSpeed, 5, "MissileSpeed", "1.0"),
    DRAVO_OPTION("WorldTimeSpeed", Number, 0, m_WorldTimeSpeed, 8, "TimeSpeed", "-1.0"),
    DRAVO_OPTION("RespawnScale", Number, 0, m_RespawnScale, 6, "RespawnScale", "1.0"),
    DRAVO_OPTION("HealScale", Number, 0, m_HealScale, 7, "HealScale", "1.0"),
};

#undef DRAVO_SETTING
#undef DRAVO_OPTION

} // namespace

std::span<const SettingRow> ScalarSettingsTable() {
    return SCALAR_SETTINGS;
}

} // namespace dravo
