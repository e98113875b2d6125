// The game options dialog of the running server.
#include "ui/OptionsDialog.h"

#include "app/ErrorBox.h"
#include "app/SettingsStore.h"
#include "res/ServerOptionsTemplate.h"
#include "ui/GameOptionCommands.h"
#include "ui/pages/GameOptionsPage.h"
#include "ui/pages/PageText.h"

#include <cstring>
#include <mutex>

namespace dravo {
namespace {

void StoreOptions(EngineServer* server, const GameOptions& options) {
    SettingsStore store(server);
    (void)store.StoreSettingInt("TractorBeam", options.m_TractorBeam);
    (void)store.StoreSettingInt("DoubleJump", options.m_DoubleJump);
    (void)store.StoreSettingInt("RammingDamage", options.m_RammingDamage);
    (void)store.StoreSetting(NIGHT_COLOR_OPTION_KEY,
                             BoundedText(options.m_WorldColorNight, sizeof options.m_WorldColorNight));
    (void)store.StoreSettingFloat("RunSpeed", options.m_RunSpeed);
    (void)store.StoreSettingFloat("MissileSpeed", options.m_MissileSpeed);
    (void)store.StoreSettingFloat(TIME_SPEED_OPTION_KEY, options.m_WorldTimeSpeed);
    (void)store.StoreSettingFloat("RespawnScale", options.m_RespawnScale);
    (void)store.StoreSettingFloat("HealScale", options.m_HealScale);
}

} // namespace

bool OpenOptionsDialog(WindowSystem& windows, EngineServer* server, GameOptions* options, UpdateLock* recordLock) {
    if (server == nullptr || options == nullptr) {
        return false;
    }
    if (!windows.CanShowDialogs()) {
        ShowErrorBox(windows, OPTIONS_NEED_SCREEN_MESSAGE);
        return false;
    }
    GameOptions edited = *options;
    GameOptionsPage procedure(edited);
    const bool ok = windows.RunDialog(ServerOptionsTemplate(), procedure) == PAGE_NEXT;
    {
        std::unique_lock<UpdateLock> guard;
        if (recordLock != nullptr) {
            guard = std::unique_lock<UpdateLock>(*recordLock);
        }
        if (ok) {
            *options = edited;
        } else {
            // The picker writes its colour at once; Cancel keeps it.
            std::memcpy(options->m_WorldColorNight, edited.m_WorldColorNight, sizeof options->m_WorldColorNight);
        }
    }
    if (!ok) {
        return false;
    }
    if (!ApplyGameOptions(server, options)) {
        return false;
    }
    StoreOptions(server, *options);
    return true;
}

} // namespace dravo
