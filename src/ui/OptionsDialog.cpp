// The game options dialog of the running server.
#include "ui/OptionsDialog.h"

#include "platform/os/Text.h"
#include "res/ServerOptionsTemplate.h"
#include "settings/GameOptionCommands.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorBox.h"
#include "ui/pages/GameOptionsPage.h"

#include <cstring>
#include <mutex>

namespace dravo {

bool OpenOptionsDialog(WindowSystem& windows, EngineServer* server, GameOptions* options, UpdateLock* recordLock) {
    if (server == nullptr || options == nullptr) {
        return false;
    }
    if (!windows.CanShowDialogs()) {
        ShowErrorBox(windows, OPTIONS_NEED_SCREEN_MESSAGE);
        return false;
    }
    GameOptions edited = *options;
    GameOptionsPage procedure(edited, false);
    const bool ok = windows.RunDialog(ServerOptionsTemplate(), procedure) == PAGE_NEXT;
    {
        std::unique_lock<UpdateLock> guard;
        if (recordLock != nullptr) {
            if (!recordLock->TryLockFor(OPERATOR_LOCK_WAIT)) {
                ShowErrorBox(windows, OPTIONS_BUSY_MESSAGE); // the game holds the record: nothing changes
                return false;
            }
            guard = std::unique_lock<UpdateLock>(*recordLock, std::adopt_lock);
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
    SettingsStore(server).StoreGameOptions(*options);
    return true;
}

} // namespace dravo
