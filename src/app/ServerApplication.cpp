// Start-up and the end of the run.
#include "app/ServerApplication.h"

#include "res/StringTable.h"
#include "settings/SettingsStore.h"
#include "ui/ConsoleWindow.h"
#include "ui/ErrorBox.h"
#include "ui/SetupWizard.h"

#include <cstring>
#include <iostream>

namespace dravo {
namespace {

constexpr uint32_t SHIFT_SETTLE_MS = 50;

} // namespace

ServerApplication::ServerApplication(WindowSystem& windows, IClock& clock, const IDrives& drives, StopSignals* stops)
    : m_Windows(windows), m_Clock(clock), m_Stops(stops), m_Resources(drives) {}

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
    StartLogFile();

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

    SetupWizard wizard({m_Windows, m_Library.GetServer(), m_Resources, m_Settings, m_LevelList, m_RezFileList});
    wizard.SetOverrides(m_Options.m_Overrides);
    const bool set =
        wizard.RunSetupWizard(&m_HostInfo, &m_GameOptions, &m_GameInfo, m_Options.m_SkipWizard, m_Options.m_ConfigPath);
    if (StoppedDuringStartup()) {
        return ExitStatus::Stopped; // nothing is saved
    }
    if (!set) {
        return ExitStatus::StartupFailed; // cancelled or failed: nothing is saved
    }

    SessionRecords records{m_HostInfo, m_GameOptions, m_GameInfo, m_EmptyExitEnabled,
                           static_cast<uint32_t>(m_Settings.m_Port)};
    ConsoleWindow console(m_Windows, m_Clock, m_Library.GetServer(), records);
    console.SetLogSink(m_LogFile.get());
    if (m_Stops != nullptr) {
        console.SetHostingStarted([stops = m_Stops] { stops->EndStartup(); });
    }
    console.Run();
    if (m_LogFile) {
        m_LogFile->SetNoticeHandler(nullptr); // the console window is closing
    }
    console.Session().ResetSession();
    if (console.RanOutOfMemory()) {
        m_Library.UnloadServerLibrary();
        return ExitStatus::OutOfMemory;
    }
    return EndRun();
}

void ServerApplication::StartLogFile() {
    if (m_Options.m_LogFilePath.empty()) {
        return;
    }
    m_LogFile = std::make_unique<LogFile>(m_Options.m_LogFilePath, std::cerr);
    (void)m_LogFile->Open(); // a file that cannot be opened is said once; lines are kept for a later try
    m_Hangup = std::make_unique<SignalWatcher>(std::initializer_list<Signal>{Signal::Hangup},
                                               [file = m_LogFile.get()](Signal) { file->Reopen(); });
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
