// Start-up and the end of the run.
#include "app/ServerApplication.h"

#include "app/ErrorBox.h"
#include "app/SettingsStore.h"
#include "res/StringTable.h"
#include "ui/GameOptionCommands.h"

#include <cstring>
#include <iostream>

namespace dravo {
namespace {

constexpr uint32_t SHIFT_SETTLE_MS = 50;

} // namespace

ServerApplication::ServerApplication(WindowSystem& windows, IClock& clock, const IDrives& drives)
    : m_Windows(windows), m_Clock(clock), m_Resources(drives, windows) {}

ExitStatus ServerApplication::StartServerApplication(const std::vector<std::string>& arguments,
                                                     const std::string& defaultLibraryPath) {
    m_Options = ParseCommandLine(arguments, defaultLibraryPath);
    if (m_Options.m_ShowHelp) {
        std::cout << CommandLineHelp(defaultLibraryPath);
        return ExitStatus::Success;
    }
    if (!m_Options.m_Error.empty()) {
        ShowErrorBox(m_Windows, m_Options.m_Error);
        return ExitStatus::UsageError;
    }

    if (!m_Library.LoadServerLibrary(m_Options.m_LibraryPath)) {
        ShowStringError(m_Windows, STR_UNABLE_TO_LOAD_SERVER_LIBRARY);
        return ExitStatus::StartupFailed;
    }
    if (m_Library.GetServer() == nullptr) {
        ShowStringError(m_Windows, STR_UNABLE_TO_ACCESS_SERVER_LIBRARY);
        return ExitStatus::StartupFailed;
    }

    m_EmptyExitEnabled = m_Options.m_EmptyExit;
    // Give a Shift key pressed with the start command time to register.
    m_Clock.SleepMs(SHIFT_SETTLE_MS);
    if (m_Windows.IsShiftHeld()) {
        m_Options.m_SkipWizard = !m_Options.m_SkipWizard;
    }

    m_Resources.LocateResources(m_Resources.FindCdDrive());
    if (m_Resources.MainArchivePath().empty()) {
        ShowStringError(m_Windows, STR_UNABLE_TO_ACCESS_RESOURCES);
        return ExitStatus::StartupFailed;
    }

    LoadSettings();
    return EndRun();
}

void ServerApplication::LoadSettings() {
    m_HostInfo = HostInfo{};
    m_GameInfo = GameInfo{};
    m_GameOptions = GameOptions{};
    SetGameOptionsStartValues(m_GameOptions);

    EngineServer* server = m_Library.GetServer();
    // A missing or unreadable file leaves the start values.
    (void)server->ReadVariablesFile(m_Options.m_ConfigPath.c_str());
    SettingsStore store(server);
    store.ReadAllSettings(m_Settings, m_GameOptions);
    m_LevelList = store.ReadTextList(NUM_LEVELS_KEY, LEVEL_KEY_PREFIX, LEVEL_NAME_MAX_CHARS);
    m_RezFileList = store.ReadTextList(NUM_REZ_FILES_KEY, REZ_FILE_KEY_PREFIX, REZ_FILE_NAME_MAX_CHARS);
}

ExitStatus ServerApplication::EndRun() {
    SettingsStore store(m_Library.GetServer());
    store.StoreAllSettings(m_Settings, m_GameOptions);
    const bool saved = store.SaveSettingsFile(m_Options.m_ConfigPath);
    m_Library.UnloadServerLibrary();
    if (!saved) {
        ShowErrorBox(m_Windows, "ERROR - Unable to save the configuration file \"" + m_Options.m_ConfigPath + "\".");
        return ExitStatus::SaveFailed;
    }
    return ExitStatus::Success;
}

} // namespace dravo
